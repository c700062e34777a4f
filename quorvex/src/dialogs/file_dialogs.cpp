// The folder chooser and the file chooser on the common file dialog, and
// the measure of a multi-file result.
#include "dialogs/file_dialogs.h"

#include <cstddef>
#include <cstdint>

namespace quorvex {

FolderDialogState &folder_dialog_state()
{
    static FolderDialogState state;
    return state;
}

void PopFileInitialize(OPENFILENAME *ofn, HWND hwnd, const char *extension, const char *filter,
                       HINSTANCE HInst)
{
    ofn->lStructSize = open_file_record_size();
    ofn->hwndOwner = hwnd;
    ofn->hInstance = HInst;
    ofn->lpstrFilter = filter;
    ofn->lpstrCustomFilter = nullptr;
    ofn->nMaxCustFilter = 0;
    ofn->nFilterIndex = 0;
    ofn->nMaxFile = QUORVEX_FILE_BUFFER_SIZE;
    ofn->lpstrFileTitle = nullptr;
    ofn->nMaxFileTitle = dialog_file_title_size;
    ofn->nFileOffset = 0;
    ofn->nFileExtension = 0;
    ofn->lpstrDefExt = extension;
    ofn->lCustData = 0;
}

BOOL PopFileOpenDlg(OPENFILENAME *ofn, HWND, char *FileName, const char *caption,
                    const char *InitialDir, uint32_t Flags, LPOFNHOOKPROC lpfnHook,
                    const char *TemplateName, int16_t type)
{
    ofn->lpstrFile = FileName;
    ofn->lpstrTitle = caption;
    ofn->lpstrInitialDir = InitialDir;
    ofn->Flags = type == QUORVEX_CHOOSE_SEVERAL ? multi_select_flags : Flags;
    ofn->lpfnHook = lpfnHook;
    ofn->lpTemplateName = TemplateName;
    const WindowApi &api = window_api();
    return type == QUORVEX_CHOOSE_SAVE ? api.GetSaveFileNameA(ofn) : api.GetOpenFileNameA(ofn);
}

} // namespace quorvex

namespace {

// One description/pattern pair, the list ended by an empty text.
constexpr char all_files_filter[] = "All Files (*.*)\0*.*\0";
constexpr char folder_template_name[] = "MyOpenFileBox";

} // namespace

using namespace quorvex;

extern "C" void QUORVEX_CALL _InitializeQuorvex(int16_t *setdir, char *strin, char *strin1)
{
    FolderDialogState &state = folder_dialog_state();
    state.SetDir = setdir;
    state.Strin = strin;
    state.Strin1 = strin1;
}

extern "C" int16_t QUORVEX_CALL _SetDir(OPENFILENAME *ofn, HWND hwndOwner, const char *initdir,
                                        const char *caption, int16_t *SetDir, char *Strin,
                                        LPOFNHOOKPROC FileOpenHook, HINSTANCE HInst)
{
    if (ofn == nullptr || SetDir == nullptr || Strin == nullptr)
        return 0;
    PopFileInitialize(ofn, hwndOwner, "", all_files_filter, HInst);
    Strin[0] = '\0';
    *SetDir = 1;
    FolderDialogState &state = folder_dialog_state();
    state.folder_confirmed = false;
    PopFileOpenDlg(ofn, hwndOwner, Strin, caption, initdir, folder_chooser_flags, FileOpenHook,
                   folder_template_name, QUORVEX_CHOOSE_OPEN);
    // Only our hook knows how the dialog ended; a dialog it did not see
    // confirmed (Cancel, Escape, the close box, or no dialog at all) chose
    // no folder, so the flag must not say otherwise.
    if (FileOpenHook == &FileOpenHookProc && !state.folder_confirmed)
        *SetDir = 0;
    state.hwndParent = nullptr;
    state.hwndEd = nullptr;
    return *SetDir;
}

extern "C" int16_t QUORVEX_CALL _ChooseOneFile(OPENFILENAME *ofn, HWND hwndOwner,
                                               const char *extension, const char *filter,
                                               char *filename, const char *caption,
                                               const char *initdir, int16_t type, HINSTANCE HInst)
{
    if (ofn == nullptr || filename == nullptr)
        return 0;
    PopFileInitialize(ofn, hwndOwner, extension, filter, HInst);
    return PopFileOpenDlg(ofn, hwndOwner, filename, caption, initdir, OFN_HIDEREADONLY, nullptr,
                          nullptr, type) != 0;
}

extern "C" int16_t QUORVEX_CALL _GetStrinLength(const char *strin)
{
    if (strin == nullptr)
        return 0;
    std::size_t passed = 0;
    while (strin[passed] != '\0' && passed < INT16_MAX) {
        while (strin[passed] != '\0')
            ++passed;
        ++passed; // the zero that ends this text
    }
    return static_cast<int16_t>(passed >= INT16_MAX ? INT16_MAX : passed + 1);
}
