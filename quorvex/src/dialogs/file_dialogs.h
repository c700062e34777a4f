// Shared pieces of the folder and file choosers: the dialog request set-up
// and the module state that the folder chooser's hook reads and writes.
#ifndef QUORVEX_FILE_DIALOGS_H
#define QUORVEX_FILE_DIALOGS_H

#include "dialogs/window_api.h"

#include <stddef.h>
#include <stdint.h>

namespace quorvex {

// Size the request gives for the (unused) file-title buffer.
constexpr uint32_t dialog_file_title_size = 512;

// Controls of the standard dialog that the folder chooser hides: the file
// name's label and edit, OK, the file types' label and list.
constexpr int standard_control_ids[] = {1090, 1152, 1, 1089, 1136};

// The whole parameter of the WM_COMMAND that closes the standard dialog.
constexpr WPARAM close_command = 0x30002;

constexpr uint32_t folder_chooser_flags =
    OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK | OFN_HIDEREADONLY;
constexpr uint32_t multi_select_flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY;

// Caller's buffers registered by _InitializeQuorvex, and what the hook
// remembers while a folder dialog is open.
struct FolderDialogState {
    int16_t *SetDir = nullptr;
    char *Strin = nullptr;
    char *Strin1 = nullptr;
    HWND hwndParent = nullptr;
    HWND hwndEd = nullptr;
    bool folder_confirmed = false; // button 3000 ended the dialog
};

FolderDialogState &folder_dialog_state();

// Size of the open-file record up to and including lpTemplateName: the
// form without the trailing reserved fields, 76 bytes on 32-bit Windows.
constexpr uint32_t open_file_record_size()
{
    return static_cast<uint32_t>(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(const char *));
}
static_assert(sizeof(void *) != 4 || open_file_record_size() == 76,
              "the 32-bit request record must keep its 76-byte form");

// Fills the request fields that do not depend on the kind of dialog.
void PopFileInitialize(OPENFILENAME *ofn, HWND hwnd, const char *extension, const char *filter,
                       HINSTANCE HInst);

// Completes the request and shows the dialog: the save dialog for
// QUORVEX_CHOOSE_SAVE, otherwise the open dialog; QUORVEX_CHOOSE_SEVERAL
// replaces Flags by the multi-select set.  Returns the platform
// dialog's result.
BOOL PopFileOpenDlg(OPENFILENAME *ofn, HWND hwnd, char *FileName, const char *caption,
                    const char *InitialDir, uint32_t Flags, LPOFNHOOKPROC lpfnHook,
                    const char *TemplateName, int16_t type);

} // namespace quorvex

#endif
