// A Windows front end's use of the dialog functions, compiled as strict C
// (and as C++) against the platform's headers and ours, in either order:
// the types the public header names must be the platform's, or this does
// not compile without warnings.
#if defined(QUORVEX_HEADER_FIRST)
#  include <quorvex/quorvex.h>
#  include <windows.h>
#  include <commdlg.h>
#else
#  include <windows.h>
#  include <commdlg.h>
#  include <quorvex/quorvex.h>
#endif

static char folder_shown[160];
static char folder_confirmed[160];
static char file_buffer[5120];
static short folder_flag;

int choose_folder(HWND owner, HINSTANCE module)
{
    OPENFILENAMEA request;
    LPOFNHOOKPROC hook = FileOpenHookProc;
    _InitializeQuorvex(&folder_flag, folder_shown, folder_confirmed);
    return _SetDir(&request, owner, "C:\\", "Choose a folder", &folder_flag, file_buffer, hook,
                   module);
}

int choose_files(HWND owner, HINSTANCE module)
{
    OPENFILENAMEA request;
    if (_ChooseOneFile(&request, owner, "ida", "IDA\0*.ida\0", file_buffer, "Images", "C:\\", 2,
                       module) == 0)
        return 0;
    return _GetStrinLength(file_buffer);
}

UINT_PTR CALLBACK forward_hook(HWND dialog, UINT message, WPARAM w, LPARAM l)
{
    return FileOpenHookProc(dialog, message, w, l);
}
