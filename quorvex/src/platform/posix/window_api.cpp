// The window-function table where no Windows user interface exists: no
// window is ever created, so every dialog ends at once with the result the
// common dialog gives for a cancelled dialog (FALSE), and the window calls
// do nothing.
#include "dialogs/window_api.h"

namespace quorvex {
namespace {

BOOL no_dialog(OPENFILENAMEA *)
{
    return 0;
}
HWND no_parent(HWND)
{
    return nullptr;
}
HWND no_item(HWND, int)
{
    return nullptr;
}
BOOL no_show(HWND, int)
{
    return 0;
}
HWND no_focus(HWND)
{
    return nullptr;
}
LRESULT no_send(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
BOOL no_post(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}
LONG_PTR no_set_long(HWND, int, LONG_PTR)
{
    return 0;
}

const WindowApi no_windows = {no_dialog, no_dialog, no_parent, no_item,    no_show,
                              no_focus,  no_send,   no_post,   no_set_long};

} // namespace

const WindowApi &platform_window_api()
{
    return no_windows;
}

} // namespace quorvex
