// Folder chooser, file chooser and their hook, driven through a recording
// stand-in of the window functions that plays the user's part.
#include "dialogs/file_dialogs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using quorvex::WindowApi;

// Fake windows: the hook's own dialog, the standard dialog around it, and
// their controls, numbered so that every handle names itself.
constexpr uintptr_t hook_dialog = 0x10;
constexpr uintptr_t standard_dialog = 0x20;

HWND handle(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}
HWND item(uintptr_t dialog, int id)
{
    return handle((dialog << 16) | static_cast<uintptr_t>(id));
}

std::string name_of(HWND window)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(window);
    const uintptr_t dialog = v > 0xFFFF ? v >> 16 : v;
    std::string name = dialog == hook_dialog       ? "hook"
                       : dialog == standard_dialog ? "standard"
                                                   : "window?";
    if (v > 0xFFFF)
        name += "#" + std::to_string(v & 0xFFFF);
    return name;
}

// What the stand-in windows hold and what was asked of them.
struct Desktop {
    std::vector<std::string> calls;
    std::string folder_shown = "C:\\Images\\2026";
    std::string edit_text = "D:\\Chosen\\Folder";
    std::string edit_set;
    std::function<BOOL(OPENFILENAMEA *)> user; // the dialog's life
    std::vector<std::string> dialogs_opened;
};

Desktop *desktop = nullptr;

// Copies text into a window-message buffer of size bytes, as the window
// functions do: cut to fit, always terminated.
void copy_out(const std::string &text, WPARAM size, LPARAM buffer)
{
    char *out = reinterpret_cast<char *>(buffer);
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

BOOL open_dialog(OPENFILENAMEA *ofn)
{
    desktop->dialogs_opened.push_back("open");
    return desktop->user ? desktop->user(ofn) : 0;
}

BOOL save_dialog(OPENFILENAMEA *ofn)
{
    desktop->dialogs_opened.push_back("save");
    return desktop->user ? desktop->user(ofn) : 0;
}

HWND parent_of(HWND window)
{
    desktop->calls.push_back("GetParent " + name_of(window));
    return window == handle(hook_dialog) ? handle(standard_dialog) : nullptr;
}

HWND item_of(HWND dialog, int id)
{
    return item(reinterpret_cast<uintptr_t>(dialog), id);
}

BOOL show(HWND window, int how)
{
    desktop->calls.push_back("ShowWindow " + name_of(window) + " " + std::to_string(how));
    return 1;
}

HWND focus(HWND window)
{
    desktop->calls.push_back("SetFocus " + name_of(window));
    return nullptr;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::string call = "SendMessage " + name_of(window) + " ";
    if (message == CDM_GETFOLDERPATH) {
        call += "CDM_GETFOLDERPATH " + std::to_string(wParam);
        copy_out(desktop->folder_shown, wParam, lParam);
    } else if (message == WM_GETTEXT) {
        call += "WM_GETTEXT " + std::to_string(wParam);
        copy_out(desktop->edit_text, wParam, lParam);
    } else if (message == WM_SETTEXT) {
        desktop->edit_set = reinterpret_cast<const char *>(lParam);
        call += "WM_SETTEXT " + desktop->edit_set;
    } else {
        call += std::to_string(message);
    }
    desktop->calls.push_back(call);
    return 0;
}

BOOL post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char text[80];
    std::snprintf(text, sizeof text, "PostMessage %s %#x %#llx %lld", name_of(window).c_str(),
                  message, static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    desktop->calls.push_back(text);
    return 1;
}

LONG_PTR set_long(HWND window, int index, LONG_PTR value)
{
    desktop->calls.push_back("SetWindowLong " + name_of(window) + " " + std::to_string(index) +
                             " " + std::to_string(value));
    return 0;
}

const WindowApi recording_api = {open_dialog, save_dialog, parent_of, item_of, show,
                                 focus,       send,        post,      set_long};

const std::string close_post = "PostMessage standard 0x111 0x30002 0";

UINT_PTR hook(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return FileOpenHookProc(handle(hook_dialog), message, wParam, lParam);
}

UINT_PTR notify(UINT code)
{
    OFNOTIFYA note{};
    note.hdr.hwndFrom = handle(standard_dialog);
    note.hdr.code = code;
    return hook(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
}

WPARAM command(unsigned id, unsigned notification = 0)
{
    return (static_cast<WPARAM>(notification) << 16) | id;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        desktop = &screen;
        quorvex::use_window_api(&recording_api);
        std::memset(strin, 'x', sizeof strin);
        std::memset(strin1, 'y', sizeof strin1);
        strin1[sizeof strin1 - 1] = '\0';
        _InitializeQuorvex(&flag, strin, strin1);
    }

    void TearDown() override
    {
        quorvex::use_window_api(nullptr);
        _InitializeQuorvex(nullptr, nullptr, nullptr);
        desktop = nullptr;
    }

    // The hook as the standard dialog starts it, with the calls of that
    // start forgotten.
    void open_folder_dialog()
    {
        hook(WM_INITDIALOG);
        screen.calls.clear();
    }

    Desktop screen;
    int16_t flag = 1;
    char strin[QUORVEX_FILE_BUFFER_SIZE];
    char strin1[200];
    const std::string untouched1 = std::string(199, 'y');
};

// The request a chooser hands to the dialog, as one comparable line: with the
// record filled with 0xCD first, a field the chooser forgets to set shows.
std::string request(const OPENFILENAMEA &o)
{
    const auto ptr = [](const void *p) {
        return static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p));
    };
    char text[400];
    std::snprintf(text, sizeof text,
                  "size=%u owner=%llx inst=%llx flags=%#x file=%s max=%u title=%s dir=%s ext=%s "
                  "hook=%d template=%s maxtitle=%u custom=%llx/%u/%u filetitle=%llx "
                  "offsets=%u/%u data=%lld",
                  static_cast<unsigned>(o.lStructSize), ptr(o.hwndOwner), ptr(o.hInstance),
                  static_cast<unsigned>(o.Flags), o.lpstrFile, static_cast<unsigned>(o.nMaxFile),
                  o.lpstrTitle, o.lpstrInitialDir, o.lpstrDefExt,
                  o.lpfnHook == nullptr             ? 0
                  : o.lpfnHook == &FileOpenHookProc ? 1
                                                    : 2,
                  o.lpTemplateName != nullptr ? o.lpTemplateName : "-",
                  static_cast<unsigned>(o.nMaxFileTitle), ptr(o.lpstrCustomFilter),
                  static_cast<unsigned>(o.nMaxCustFilter), static_cast<unsigned>(o.nFilterIndex),
                  ptr(o.lpstrFileTitle), static_cast<unsigned>(o.nFileOffset),
                  static_cast<unsigned>(o.nFileExtension), static_cast<long long>(o.lCustData));
    return text;
}

// The record keeps the size of the form without the reserved fields.
const std::string record_size =
    std::to_string(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(void *));
const std::string common_tail = " maxtitle=512 custom=0/0/0 filetitle=0 offsets=0/0 data=0";

// Each message of the folder chooser's hook: what it returns, the window
// calls it makes and what it leaves in the registered buffers.
TEST_F(DialogTest, HookMessages)
{
    const UINT other_notification = 0U - 601U - 1U; // selection change
    struct Case {
        const char *what;
        UINT message; // WM_NOTIFY: code is the notification
        WPARAM wParam;
        UINT code;
        UINT_PTR result;
        std::vector<std::string> calls;
        const char *strin, *strin1; // nullptr: untouched
        int16_t flag;
    } cases[] = {
        {"start: file controls hidden, folder edit focused",
         WM_INITDIALOG,
         0,
         0,
         0,
         {"GetParent hook", "ShowWindow standard#1090 0", "ShowWindow standard#1152 0",
          "ShowWindow standard#1 0", "ShowWindow standard#1089 0", "ShowWindow standard#1136 0",
          "SetFocus hook#4000"},
         nullptr,
         nullptr,
         1},
        {"folder change",
         WM_NOTIFY,
         0,
         CDN_FOLDERCHANGE,
         1,
         {"SendMessage standard CDM_GETFOLDERPATH 160",
          "SendMessage hook#4000 WM_SETTEXT C:\\Images\\2026"},
         "C:\\Images\\2026",
         nullptr,
         1},
        {"file confirmed: refused, the dialog stays",
         WM_NOTIFY,
         0,
         CDN_FILEOK,
         1,
         {"SetWindowLong hook 0 -1"},
         nullptr,
         nullptr,
         1},
        {"accept",
         WM_COMMAND,
         command(3000),
         0,
         1,
         {"SendMessage hook#4000 WM_GETTEXT 160", close_post},
         nullptr,
         "D:\\Chosen\\Folder",
         1},
        {"cancel", WM_COMMAND, command(3001), 0, 1, {close_post}, nullptr, nullptr, 0},
        {"other notification", WM_NOTIFY, 0, other_notification, 0, {}, nullptr, nullptr, 1},
        {"button 3000 with a code", WM_COMMAND, command(3000, 1), 0, 0, {}, nullptr, nullptr, 1},
        {"button 3001 with a code", WM_COMMAND, command(3001, 5), 0, 0, {}, nullptr, nullptr, 1},
        {"other control", WM_COMMAND, command(4000), 0, 0, {}, nullptr, nullptr, 1},
        {"standard OK", WM_COMMAND, command(1), 0, 0, {}, nullptr, nullptr, 1},
        {"set text", WM_SETTEXT, 0, 0, 0, {}, nullptr, nullptr, 1},
        {"paint", 0x000F, 0, 0, 0, {}, nullptr, nullptr, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        flag = 1;
        SetUp();
        open_folder_dialog();
        const UINT_PTR result = c.message != WM_NOTIFY ? hook(c.message, c.wParam)
                                : c.code != 0          ? notify(c.code)
                                                       : hook(WM_NOTIFY);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(screen.calls, c.calls);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(std::string(strin, strnlen(strin, sizeof strin)),
                  c.strin ? std::string(c.strin) : std::string(sizeof strin, 'x'));
        EXPECT_EQ(std::string(strin1), c.strin1 ? std::string(c.strin1) : untouched1);
    }
}

TEST_F(DialogTest, UnregisteredBuffersAreSkippedNotWritten)
{
    _InitializeQuorvex(nullptr, nullptr, nullptr);
    open_folder_dialog();
    EXPECT_EQ(notify(CDN_FOLDERCHANGE), 1u);
    EXPECT_EQ(hook(WM_COMMAND, command(3000)), 1u);
    EXPECT_EQ(hook(WM_COMMAND, command(3001)), 1u);
    const std::vector<std::string> expected = {close_post, close_post};
    EXPECT_EQ(screen.calls, expected);
}

TEST_F(DialogTest, ChooseOneFileRequestByType)
{
    struct Case {
        int16_t type;
        const char *dialog;
        const char *flags;
        BOOL answer = 1; // the dialog's: 0 when cancelled
    } cases[] = {
        {0, "open", "0x4"},    {1, "save", "0x4"},    {2, "open", "0x80204"},
        {3, "open", "0x4"},    {-1, "open", "0x4"},   {INT16_MAX, "open", "0x4"},
        {0, "open", "0x4", 0}, {1, "save", "0x4", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        screen.dialogs_opened.clear();
        std::string seen;
        char filename[5120] = "start.ida";
        screen.user = [&](OPENFILENAMEA *ofn) {
            seen = request(*ofn);
            EXPECT_EQ(ofn->lpstrFile, filename);
            return c.answer;
        };
        OPENFILENAMEA ofn;
        std::memset(&ofn, 0xCD, sizeof ofn);
        EXPECT_EQ(_ChooseOneFile(&ofn, handle(0x33), "ida", "IDA\0*.ida\0", filename, "Pick",
                                 "C:\\in", c.type, reinterpret_cast<HINSTANCE>(0x44)) != 0,
                  c.answer != 0);
        ASSERT_EQ(screen.dialogs_opened, std::vector<std::string>{c.dialog});
        EXPECT_EQ(seen,
                  "size=" + record_size + " owner=33 inst=44 flags=" + c.flags +
                      " file=start.ida max=5120 title=Pick dir=C:\\in ext=ida hook=0 template=-" +
                      common_tail);
        EXPECT_STREQ(ofn.lpstrFilter, "IDA");
    }
}

TEST_F(DialogTest, SetDirPreparesTheFolderRequest)
{
    std::string seen, file_buffer_on_open = "not opened";
    int16_t flag_on_open = -1;
    screen.user = [&](OPENFILENAMEA *ofn) {
        seen = request(*ofn);
        EXPECT_EQ(ofn->lpstrFile, strin);
        EXPECT_EQ(std::memcmp(ofn->lpstrFilter, "All Files (*.*)\0*.*\0",
                              sizeof "All Files (*.*)\0*.*\0"),
                  0);
        file_buffer_on_open = ofn->lpstrFile;
        flag_on_open = flag;
        return 0;
    };
    OPENFILENAMEA ofn;
    std::memset(&ofn, 0xCD, sizeof ofn);
    _SetDir(&ofn, handle(0x33), "C:\\Start", "Choose a folder", &flag, strin, FileOpenHookProc,
            reinterpret_cast<HINSTANCE>(0x55));
    ASSERT_EQ(screen.dialogs_opened, std::vector<std::string>{"open"});
    EXPECT_EQ(seen, "size=" + record_size +
                        " owner=33 inst=55 flags=0x80064 file= max=5120 "
                        "title=Choose a folder dir=C:\\Start ext= hook=1 template=MyOpenFileBox" +
                        common_tail);
    EXPECT_EQ(file_buffer_on_open, "");
    EXPECT_EQ(flag_on_open, 1);
}

// A user at the folder chooser, as the standard dialog would relay it to
// the hook the request names.
struct FolderSession {
    std::vector<std::string> steps; // "folder", "fileok", "3000", "3001"
    BOOL result;                    // what the standard dialog returns
};

TEST_F(DialogTest, SetDirReturnsWhetherAFolderWasConfirmed)
{
    struct Case {
        const char *what;
        FolderSession session;
        int16_t returned;
        const char *confirmed; // strin1 afterwards, nullptr: untouched
    } cases[] = {
        {"accept after browsing", {{"folder", "3000"}, 0}, 1, "D:\\Chosen\\Folder"},
        {"double-clicked file refused, then accept",
         {{"folder", "fileok", "3000"}, 0},
         1,
         "D:\\Chosen\\Folder"},
        {"cancel button", {{"folder", "3001"}, 0}, 0, nullptr},
        {"escape or close box", {{"folder"}, 0}, 0, nullptr},
        {"dialog could not open", {{}, 0}, 0, nullptr},
        {"accept, then the dialog reports success anyway", {{"3000"}, 1}, 1, "D:\\Chosen\\Folder"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(strin1, 'y', sizeof strin1 - 1);
        screen.user = [&c](OPENFILENAMEA *ofn) {
            HWND dlg = handle(hook_dialog);
            ofn->lpfnHook(dlg, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(ofn));
            for (const std::string &step : c.session.steps) {
                OFNOTIFYA note{};
                note.lpOFN = ofn;
                note.hdr.code = step == "folder" ? CDN_FOLDERCHANGE : CDN_FILEOK;
                if (step == "folder" || step == "fileok")
                    ofn->lpfnHook(dlg, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
                else
                    ofn->lpfnHook(dlg, WM_COMMAND, command(step == "3000" ? 3000 : 3001), 0);
            }
            return c.session.result;
        };
        OPENFILENAMEA ofn{};
        EXPECT_EQ(_SetDir(&ofn, nullptr, "C:\\", "Folder", &flag, strin, FileOpenHookProc, nullptr),
                  c.returned);
        EXPECT_EQ(flag, c.returned);
        EXPECT_EQ(std::string(strin1),
                  c.confirmed != nullptr ? std::string(c.confirmed) : untouched1);
    }
}

UINT_PTR QUORVEX_HOOK_CALL silent_hook(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// A foreign hook leaves the flag as it was; a missing record or buffer opens
// no dialog at all.
TEST_F(DialogTest, SetDirWithAForeignHookOrNullArguments)
{
    screen.user = [](OPENFILENAMEA *) { return 0; };
    OPENFILENAMEA ofn{};
    EXPECT_EQ(_SetDir(&ofn, nullptr, "", "", &flag, strin, silent_hook, nullptr), 1);
    screen.dialogs_opened.clear();
    char filename[5120] = "";
    EXPECT_EQ(_SetDir(nullptr, nullptr, "", "", &flag, strin, FileOpenHookProc, nullptr), 0);
    EXPECT_EQ(_SetDir(&ofn, nullptr, "", "", nullptr, strin, FileOpenHookProc, nullptr), 0);
    EXPECT_EQ(_SetDir(&ofn, nullptr, "", "", &flag, nullptr, FileOpenHookProc, nullptr), 0);
    EXPECT_EQ(_ChooseOneFile(nullptr, nullptr, "", "\0", filename, "", "", 0, nullptr), 0);
    EXPECT_EQ(_ChooseOneFile(&ofn, nullptr, "", "\0", nullptr, "", "", 0, nullptr), 0);
    EXPECT_TRUE(screen.dialogs_opened.empty());
}

#if !defined(_WIN32)
// Where no dialog exists, both choosers end as if cancelled.
TEST(DialogsWithoutWindows, EndAsCancelled)
{
    int16_t flag = 7;
    char strin[5120] = "old";
    char strin1[160] = "kept";
    _InitializeQuorvex(&flag, strin, strin1);
    OPENFILENAMEA ofn{};
    EXPECT_EQ(_SetDir(&ofn, nullptr, "/", "Folder", &flag, strin, FileOpenHookProc, nullptr), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_STREQ(strin, "");
    EXPECT_STREQ(strin1, "kept");
    char filename[5120] = "a.ida";
    EXPECT_EQ(_ChooseOneFile(&ofn, nullptr, "ida", "\0", filename, "", "", 1, nullptr), 0);
    EXPECT_STREQ(filename, "a.ida");
    _InitializeQuorvex(nullptr, nullptr, nullptr);
}
#endif

TEST(GetStrinLength, CountsThroughTheZeroThatEndsTheList)
{
    struct Case {
        const char *what;
        const char *list;
        int16_t length;
    } cases[] = {
        {"two texts", "a\0bc\0", 6},
        {"empty list", "", 1},
        {"one text", "abc\0", 5},
        {"stops at the first empty text", "a\0\0b\0", 3},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(_GetStrinLength(c.list), c.length);
    }
    std::vector<char> list(40000, 'a'); // longer than 16 bits can say
    for (std::size_t i = 9; i < list.size(); i += 10)
        list[i] = '\0';
    list.insert(list.end(), {'\0', '\0'});
    EXPECT_EQ(_GetStrinLength(list.data()), INT16_MAX);
}

} // namespace
