// The window and common-dialog functions the file dialogs call, behind one
// replaceable table.  On Windows the table holds the real user32/comdlg32
// calls; elsewhere the records, messages and flags are given here by their
// Windows names and values, and the dialogs end at once as if cancelled.
#ifndef QUORVEX_WINDOW_API_H
#define QUORVEX_WINDOW_API_H

#include "quorvex/quorvex.h"

#include <stdint.h>

#if defined(_WIN32)
#  include <windows.h>

#  include <commdlg.h>

#  include <type_traits>

// The public header names the platform's types without its headers; they
// must be the very same types.
static_assert(std::is_same<QUORVEX_OPENFILENAME, OPENFILENAMEA>::value, "record");
static_assert(std::is_same<QUORVEX_HWND, HWND>::value, "window handle");
static_assert(std::is_same<QUORVEX_HINSTANCE, HINSTANCE>::value, "module handle");
static_assert(std::is_same<QUORVEX_UINT, UINT>::value, "message");
static_assert(std::is_same<QUORVEX_WPARAM, WPARAM>::value, "word parameter");
static_assert(std::is_same<QUORVEX_LPARAM, LPARAM>::value, "long parameter");
static_assert(std::is_same<QUORVEX_UINT_PTR, UINT_PTR>::value, "hook result");
static_assert(std::is_same<QUORVEX_HOOKPROC, LPOFNHOOKPROC>::value, "hook");
#else
typedef QUORVEX_HWND HWND;
typedef QUORVEX_HINSTANCE HINSTANCE;
typedef QUORVEX_UINT UINT;
typedef QUORVEX_WPARAM WPARAM;
typedef QUORVEX_LPARAM LPARAM;
typedef QUORVEX_UINT_PTR UINT_PTR;
typedef QUORVEX_HOOKPROC LPOFNHOOKPROC;
typedef QUORVEX_OPENFILENAME OPENFILENAMEA;
typedef OPENFILENAMEA OPENFILENAME;
typedef intptr_t LRESULT;
typedef intptr_t LONG_PTR;
typedef int BOOL;

typedef struct {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR;

// What WM_NOTIFY carries from the Explorer-style dialog to its hook.
typedef struct {
    NMHDR hdr;
    OPENFILENAMEA *lpOFN;
    char *pszFile;
} OFNOTIFYA;

constexpr UINT WM_SETTEXT = 0x000C;
constexpr UINT WM_GETTEXT = 0x000D;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_USER = 0x0400;
constexpr UINT CDM_GETFOLDERPATH = WM_USER + 100 + 2;
constexpr UINT CDN_FOLDERCHANGE = 0U - 601U - 2U;
constexpr UINT CDN_FILEOK = 0U - 601U - 5U;
constexpr int SW_HIDE = 0;
constexpr int IDCANCEL = 2;
constexpr int DWLP_MSGRESULT = 0;
constexpr uint32_t OFN_HIDEREADONLY = 0x4;
constexpr uint32_t OFN_ENABLEHOOK = 0x20;
constexpr uint32_t OFN_ENABLETEMPLATE = 0x40;
constexpr uint32_t OFN_ALLOWMULTISELECT = 0x200;
constexpr uint32_t OFN_EXPLORER = 0x80000;
#endif

namespace quorvex {

// The functions by their Windows names; SetWindowLongA stands for the
// pointer-sized form on 64-bit Windows, where the message result needs it.
struct WindowApi {
    BOOL (*GetOpenFileNameA)(OPENFILENAMEA *ofn);
    BOOL (*GetSaveFileNameA)(OPENFILENAMEA *ofn);
    HWND (*GetParent)(HWND window);
    HWND (*GetDlgItem)(HWND dialog, int id);
    BOOL (*ShowWindow)(HWND window, int how);
    HWND (*SetFocus)(HWND window);
    LRESULT (*SendMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL (*PostMessageA)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LONG_PTR (*SetWindowLongA)(HWND window, int index, LONG_PTR value);
};

// The platform's own functions.
const WindowApi &platform_window_api();

// The table the dialogs call through: the platform's unless replaced.
const WindowApi &window_api();

// Makes the dialogs call through api (which must outlive its use) until
// the next call; nullptr goes back to the platform's functions.
void use_window_api(const WindowApi *api);

} // namespace quorvex

#endif
