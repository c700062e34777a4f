// The window-function table on Windows: the real user32 and comdlg32 calls.
#include "dialogs/window_api.h"

namespace quorvex {
namespace {

BOOL open_dialog(OPENFILENAMEA *ofn)
{
    return ::GetOpenFileNameA(ofn);
}
BOOL save_dialog(OPENFILENAMEA *ofn)
{
    return ::GetSaveFileNameA(ofn);
}
HWND parent_of(HWND window)
{
    return ::GetParent(window);
}
HWND item_of(HWND dialog, int id)
{
    return ::GetDlgItem(dialog, id);
}
BOOL show(HWND window, int how)
{
    return ::ShowWindow(window, how);
}
HWND focus(HWND window)
{
    return ::SetFocus(window);
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageA(window, message, wParam, lParam);
}

BOOL post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageA(window, message, wParam, lParam);
}

// On 32-bit Windows this is SetWindowLongA itself.
LONG_PTR set_long(HWND window, int index, LONG_PTR value)
{
    return ::SetWindowLongPtrA(window, index, value);
}

const WindowApi real_functions = {open_dialog, save_dialog, parent_of, item_of, show,
                                  focus,       send,        post,      set_long};

} // namespace

const WindowApi &platform_window_api()
{
    return real_functions;
}

} // namespace quorvex
