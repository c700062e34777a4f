// The folder chooser's hook: turns the Explorer-style open dialog into a
// folder picker by hiding its file controls, mirroring the current folder
// into the caller's template and refusing every file confirmation.
#include "dialogs/file_dialogs.h"

namespace quorvex {
namespace {

unsigned low_word(WPARAM w)
{
    return static_cast<unsigned>(w & 0xFFFFu);
}
unsigned high_word(WPARAM w)
{
    return static_cast<unsigned>((w >> 16) & 0xFFFFu);
}

void close_standard_dialog(const FolderDialogState &state)
{
    window_api().PostMessageA(state.hwndParent, WM_COMMAND, close_command, 0);
}

UINT_PTR on_init_dialog(HWND hDlg)
{
    const WindowApi &api = window_api();
    FolderDialogState &state = folder_dialog_state();
    state.hwndParent = api.GetParent(hDlg);
    for (int id : standard_control_ids)
        api.ShowWindow(api.GetDlgItem(state.hwndParent, id), SW_HIDE);
    state.hwndEd = api.GetDlgItem(hDlg, QUORVEX_ID_FOLDER_EDIT);
    api.SetFocus(state.hwndEd);
    return 0;
}

UINT_PTR on_notify(HWND hDlg, LPARAM lParam)
{
    const auto *note = reinterpret_cast<const OFNOTIFYA *>(lParam);
    if (note == nullptr)
        return 0;
    const WindowApi &api = window_api();
    FolderDialogState &state = folder_dialog_state();
    switch (note->hdr.code) {
    case CDN_FOLDERCHANGE:
        if (state.Strin != nullptr) {
            api.SendMessageA(state.hwndParent, CDM_GETFOLDERPATH, QUORVEX_FOLDER_TEXT_SIZE,
                             reinterpret_cast<LPARAM>(state.Strin));
            state.hwndEd = api.GetDlgItem(hDlg, QUORVEX_ID_FOLDER_EDIT);
            api.SendMessageA(state.hwndEd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(state.Strin));
        }
        return 1;
    case CDN_FILEOK:
        // A non-zero message result refuses the choice; the dialog stays.
        api.SetWindowLongA(hDlg, DWLP_MSGRESULT, -1);
        return 1;
    default:
        return 0;
    }
}

UINT_PTR on_command(HWND hDlg, WPARAM wParam)
{
    if (high_word(wParam) != 0)
        return 0;
    const WindowApi &api = window_api();
    FolderDialogState &state = folder_dialog_state();
    switch (low_word(wParam)) {
    case QUORVEX_ID_FOLDER_ACCEPT:
        state.hwndEd = api.GetDlgItem(hDlg, QUORVEX_ID_FOLDER_EDIT);
        if (state.Strin1 != nullptr)
            api.SendMessageA(state.hwndEd, WM_GETTEXT, QUORVEX_FOLDER_TEXT_SIZE,
                             reinterpret_cast<LPARAM>(state.Strin1));
        state.folder_confirmed = true;
        close_standard_dialog(state);
        return 1;
    case QUORVEX_ID_FOLDER_CANCEL:
        if (state.SetDir != nullptr)
            *state.SetDir = 0;
        state.folder_confirmed = false;
        close_standard_dialog(state);
        return 1;
    default:
        return 0;
    }
}

} // namespace
} // namespace quorvex

extern "C" UINT_PTR QUORVEX_HOOK_CALL FileOpenHookProc(HWND hDlg, UINT iMsg, WPARAM wParam,
                                                       LPARAM lParam)
{
    switch (iMsg) {
    case WM_INITDIALOG:
        return quorvex::on_init_dialog(hDlg);
    case WM_NOTIFY:
        return quorvex::on_notify(hDlg, lParam);
    case WM_COMMAND:
        return quorvex::on_command(hDlg, wParam);
    default:
        return 0;
    }
}
