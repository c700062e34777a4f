// Selection of the window-function table the file dialogs call through.
#include "dialogs/window_api.h"

namespace quorvex {
namespace {

const WindowApi *replacement = nullptr;

} // namespace

const WindowApi &window_api()
{
    return replacement != nullptr ? *replacement : platform_window_api();
}

void use_window_api(const WindowApi *api)
{
    replacement = api;
}

} // namespace quorvex
