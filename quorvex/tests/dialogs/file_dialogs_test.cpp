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
#include <sstream>
#include <string>
#include <vector>

namespace {

// Fake windows: the hook's own dialog "h", the standard dialog "s" around
// it, and their controls, numbered so that every handle names itself.
constexpr uintptr_t hook_dialog = 0x10;
constexpr uintptr_t standard_dialog = 0x20;

HWND handle(uintptr_t value)
{
    return reinterpret_cast<HWND>(value);
}

std::string name_of(HWND window)
{
    const uintptr_t v = reinterpret_cast<uintptr_t>(window);
    const uintptr_t dialog = v > 0xFFFF ? v >> 16 : v;
    std::string name = dialog == hook_dialog ? "h" : dialog == standard_dialog ? "s" : "?";
    return v > 0xFFFF ? name + "#" + std::to_string(v & 0xFFFF) : name;
}

// What the stand-in windows hold and what was asked of them: the calls as
// one text, "; " between calls.
struct Desktop {
    std::string calls;
    std::string folder_shown = "C:\\Images\\2026";
    std::string edit_text = "D:\\Chosen\\Folder";
    std::function<BOOL(OPENFILENAMEA *)> user; // the dialog's life
    std::vector<std::string> dialogs_opened;
};

Desktop *desktop = nullptr;

template <class T>
T record(const std::string &call, T result)
{
    desktop->calls += (desktop->calls.empty() ? "" : "; ") + call;
    return result;
}

// Copies text into a window-message buffer of size bytes, as the window
// functions do: cut to fit, always terminated.
std::string copy_out(const std::string &text, WPARAM size, LPARAM buffer)
{
    char *out = reinterpret_cast<char *>(buffer);
    const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
    return std::to_string(size);
}

BOOL opened(const char *kind, OPENFILENAMEA *ofn)
{
    desktop->dialogs_opened.push_back(kind);
    return desktop->user ? desktop->user(ofn) : 0;
}

LRESULT send(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const std::string to = name_of(window);
    if (message == CDM_GETFOLDERPATH)
        return record("folder? " + to + " " + copy_out(desktop->folder_shown, wParam, lParam), 0);
    if (message == WM_GETTEXT)
        return record("gettext " + to + " " + copy_out(desktop->edit_text, wParam, lParam), 0);
    if (message == WM_SETTEXT)
        return record("settext " + to + " " + reinterpret_cast<const char *>(lParam), 0);
    return record("send " + to + " " + std::to_string(message), 0);
}

BOOL post(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char text[80];
    std::snprintf(text, sizeof text, "post %s %#x %#llx %lld", name_of(window).c_str(), message,
                  static_cast<unsigned long long>(wParam), static_cast<long long>(lParam));
    return record(text, 1);
}

const quorvex::WindowApi recording_api = {
    [](OPENFILENAMEA *ofn) { return opened("open", ofn); },
    [](OPENFILENAMEA *ofn) { return opened("save", ofn); },
    [](HWND w) {
        return record("parent " + name_of(w),
                      handle(w == handle(hook_dialog) ? standard_dialog : 0));
    },
    [](HWND dialog, int id) {
        return handle((reinterpret_cast<uintptr_t>(dialog) << 16) | static_cast<uintptr_t>(id));
    },
    [](HWND w, int how) { return record("show " + name_of(w) + " " + std::to_string(how), 1); },
    [](HWND w) { return record("focus " + name_of(w), HWND{}); },
    send,
    post,
    [](HWND w, int index, LONG_PTR value) {
        return record("setlong " + name_of(w) + " " + std::to_string(index) + " " +
                          std::to_string(value),
                      LONG_PTR{0});
    },
};

UINT_PTR hook(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return FileOpenHookProc(handle(hook_dialog), message, wParam, lParam);
}

UINT_PTR notify(UINT code)
{
    OFNOTIFYA note{{handle(standard_dialog), 0, code}, nullptr, nullptr};
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
    const auto hex = [](const void *p) { return reinterpret_cast<uintptr_t>(p); };
    const int hook = o.lpfnHook == nullptr ? 0 : o.lpfnHook == &FileOpenHookProc ? 1 : 2;
    std::ostringstream s;
    s << "size=" << o.lStructSize << std::hex << " owner=" << hex(o.hwndOwner)
      << " inst=" << hex(o.hInstance) << " flags=0x" << o.Flags << std::dec
      << " file=" << o.lpstrFile << " max=" << o.nMaxFile << " title=" << o.lpstrTitle
      << " dir=" << o.lpstrInitialDir << " ext=" << o.lpstrDefExt << " hook=" << hook
      << " template=" << (o.lpTemplateName != nullptr ? o.lpTemplateName : "-")
      << " maxtitle=" << o.nMaxFileTitle << std::hex << " custom=" << hex(o.lpstrCustomFilter)
      << std::dec << "/" << o.nMaxCustFilter << "/" << o.nFilterIndex << std::hex
      << " filetitle=" << hex(o.lpstrFileTitle) << std::dec << " offsets=" << o.nFileOffset << "/"
      << o.nFileExtension << " data=" << o.lCustData;
    return s.str();
}

// The record keeps the size of the form without the reserved fields.
const std::string record_size =
    std::to_string(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(void *));
const std::string common_tail = " maxtitle=512 custom=0/0/0 filetitle=0 offsets=0/0 data=0";

// Each message of the folder chooser's hook, once the dialog has started:
// what it returns, the window calls it makes and what it leaves in the
// registered buffers (nullptr: untouched).  WM_NOTIFY carries the code as
// its notification; registered is 0 when no buffers were registered.
TEST_F(DialogTest, HookMessages)
{
    const std::string close = "post s 0x111 0x30002 0", folder = "C:\\Images\\2026";
    struct Case {
        UINT message;
        WPARAM wParam;
        UINT_PTR result;
        std::string calls;
        const char *strin = nullptr, *strin1 = nullptr;
        int16_t flag = 1;
        bool registered = true;
    } cases[] = {
        {WM_INITDIALOG, 0, 0,
         "parent h; show s#1090 0; show s#1152 0; show s#1 0; show s#1089 0; show s#1136 0; "
         "focus h#4000"},
        {WM_NOTIFY, CDN_FOLDERCHANGE, 1, "folder? s 160; settext h#4000 " + folder, folder.c_str()},
        {WM_NOTIFY, CDN_FILEOK, 1, "setlong h 0 -1"}, // the dialog stays
        {WM_COMMAND, command(3000), 1, "gettext h#4000 160; " + close, nullptr,
         "D:\\Chosen\\Folder"},
        {WM_COMMAND, command(3001), 1, close, nullptr, nullptr, 0},
        {WM_NOTIFY, 0U - 601U - 1U, 0, ""}, // selection change
        {WM_NOTIFY, 0, 0, ""},              // no notification record
        {WM_COMMAND, command(3000, 1), 0, ""},
        {WM_COMMAND, command(3001, 5), 0, ""},
        {WM_COMMAND, command(4000), 0, ""},
        {WM_COMMAND, command(1), 0, ""}, // the standard OK
        {WM_SETTEXT, 0, 0, ""},
        {0x000F, 0, 0, ""}, // paint
        {WM_NOTIFY, CDN_FOLDERCHANGE, 1, "", nullptr, nullptr, 1, false},
        {WM_COMMAND, command(3000), 1, close, nullptr, nullptr, 1, false},
        {WM_COMMAND, command(3001), 1, close, nullptr, nullptr, 1, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + " " + std::to_string(c.wParam));
        flag = 1;
        SetUp();
        if (!c.registered)
            _InitializeQuorvex(nullptr, nullptr, nullptr);
        if (c.message != WM_INITDIALOG) {
            hook(WM_INITDIALOG);
            screen.calls.clear();
        }
        const UINT_PTR result = c.message != WM_NOTIFY ? hook(c.message, c.wParam)
                                : c.wParam != 0        ? notify(static_cast<UINT>(c.wParam))
                                                       : hook(WM_NOTIFY);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(screen.calls, c.calls);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(std::string(strin, strnlen(strin, sizeof strin)),
                  c.strin ? std::string(c.strin) : std::string(sizeof strin, 'x'));
        EXPECT_EQ(std::string(strin1), c.strin1 ? std::string(c.strin1) : untouched1);
    }
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

// A user at the folder chooser, as the standard dialog would relay it to the
// hook the request names: f folder change, o file confirmed, a accept, c
// cancel; then what the standard dialog returns, what _SetDir returns, and
// strin1 afterwards (nullptr: untouched).  Whatever the user does, the
// dialog opens on the same request, with an emptied file buffer.
TEST_F(DialogTest, SetDirRequestAndWhetherAFolderWasConfirmed)
{
    struct Case {
        const char *steps;
        BOOL result;
        int16_t returned;
        const char *confirmed;
    } cases[] = {
        {"fa", 0, 1, "D:\\Chosen\\Folder"},  // accept after browsing
        {"f", 0, 0, nullptr},                // Escape or the close box, after a confirmed session
        {"foa", 0, 1, "D:\\Chosen\\Folder"}, // double-clicked file refused, then accept
        {"fc", 0, 0, nullptr},               // cancel button
        {"", 0, 0, nullptr},                 // the dialog could not open
        {"a", 1, 1, "D:\\Chosen\\Folder"},   // accept, then the dialog reports success anyway
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.steps);
        std::memset(strin1, 'y', sizeof strin1 - 1);
        std::string seen; // the request as opened, its emptied file buffer included
        int16_t flag_on_open = -1;
        screen.user = [&](OPENFILENAMEA *ofn) {
            seen = request(*ofn);
            EXPECT_EQ(ofn->lpstrFile, strin);
            const char all[] = "All Files (*.*)\0*.*\0";
            EXPECT_EQ(std::memcmp(ofn->lpstrFilter, all, sizeof all), 0);
            flag_on_open = flag;
            // The dialog calls the hook the request names (hook=1 above).
            hook(WM_INITDIALOG);
            for (const char *step = c.steps; *step != '\0'; ++step)
                if (*step == 'f' || *step == 'o')
                    notify(*step == 'f' ? CDN_FOLDERCHANGE : CDN_FILEOK);
                else
                    hook(WM_COMMAND, command(*step == 'a' ? 3000 : 3001));
            return c.result;
        };
        OPENFILENAMEA ofn;
        std::memset(&ofn, 0xCD, sizeof ofn);
        EXPECT_EQ(_SetDir(&ofn, handle(0x33), "C:\\Start", "Choose a folder", &flag, strin,
                          FileOpenHookProc, reinterpret_cast<HINSTANCE>(0x55)),
                  c.returned);
        EXPECT_EQ(seen, "size=" + record_size +
                            " owner=33 inst=55 flags=0x80064 file= max=5120 title=Choose a "
                            "folder dir=C:\\Start ext= hook=1 template=MyOpenFileBox" +
                            common_tail);
        EXPECT_EQ(flag_on_open, 1);
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
    OPENFILENAMEA ofn{};
    EXPECT_EQ(_SetDir(&ofn, nullptr, "", "", &flag, strin, silent_hook, nullptr), 1);
    screen.dialogs_opened.clear();
    char filename[5120] = "";
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

// The length of a list of texts through the zero that ends it, cut to what
// 16 bits can say.
TEST(GetStrinLength, CountsThroughTheZeroThatEndsTheList)
{
    EXPECT_EQ(_GetStrinLength("a\0bc\0"), 6);
    EXPECT_EQ(_GetStrinLength(""), 1);
    EXPECT_EQ(_GetStrinLength("abc\0"), 5);
    EXPECT_EQ(_GetStrinLength("a\0\0b\0"), 3); // stops at the first empty text
    std::vector<char> list(40000, 'a');
    for (std::size_t i = 9; i < list.size(); i += 10)
        list[i] = '\0';
    list.insert(list.end(), {'\0', '\0'});
    EXPECT_EQ(_GetStrinLength(list.data()), INT16_MAX);
}

} // namespace
