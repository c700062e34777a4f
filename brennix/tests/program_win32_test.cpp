// The real program on Windows, started with a raw command line: the
// program's name skipped by its quoting rule, the fields taken exactly as
// typed, plain text with CR LF line ends when the output is no console.
#if defined(_WIN32)
#include "run_support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace brennix {
namespace {

using testing::read_file;

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

// Brennix.exe sits one folder above the test program.
std::string program_path()
{
    char own[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, own, MAX_PATH);
    std::string path(own, length);
    for (int up = 0; up < 2; ++up)
        path = path.substr(0, path.find_last_of("\\/"));
    return path + "\\Brennix.exe";
}

HANDLE inheritable_file(const char *name, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Starts the program with exactly this command line, no console input and
// both outputs captured in files.
ProgramRun run_program(const std::string &command_line)
{
    HANDLE in = inheritable_file("NUL", GENERIC_READ, OPEN_EXISTING);
    HANDLE out = inheritable_file("stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE err = inheritable_file("stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    std::vector<char> line(command_line.begin(), command_line.end());
    line.push_back('\0');
    const std::string program = program_path();
    DWORD status = 999;
    if (CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0,
                       nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    ProgramRun run{static_cast<int>(status), read_file("stdout.txt"), read_file("stderr.txt")};
    testing::remove_path("stdout.txt");
    testing::remove_path("stderr.txt");
    return run;
}

class WindowsProgram : public testing::ScratchFolder {
protected:
    void SetUp() override
    {
        ScratchFolder::SetUp();
        testing::TestImage image;
        image.pixels = {100};
        testing::write_file("in.ida", testing::make_ida(image));
    }
};

TEST_F(WindowsProgram, UsageScreenHasWindowsLineEnds)
{
    const ProgramRun run = run_program("Brennix");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.rfind("\r\n Correct syntax is\r\n\r\n Brennix In_file Out_file", 0), 0u)
        << run.out.substr(0, 40);
    EXPECT_EQ(run.out.find("\n\n"), std::string::npos);
    const std::string last = "\r\n\r\n Press any key ...";
    ASSERT_GE(run.out.size(), last.size());
    EXPECT_EQ(run.out.substr(run.out.size() - last.size()), last);
}

TEST_F(WindowsProgram, CommandTextIsTheRawLineAfterTheProgramName)
{
    const std::string quoted = "\"" + program_path() + "\"";
    const struct {
        std::string line;
        int status;
        const char *logged;  // the "Logging : " text, or nullptr: no log
    } cases[] = {
        {quoted + " in.ida out.ida 1 0 run.log c.clr", 0,
         "in.ida out.ida 1 0 run.log c.clr"},
        {"Brennix in.ida out.ida 1 0 run.log c.clr", 0,
         "in.ida out.ida 1 0 run.log c.clr"},
        {quoted + "in.ida out.ida 1 0 run.log c.clr", 0,
         "in.ida out.ida 1 0 run.log c.clr"},
        {"\"C:\\Some Folder\\Brennix.exe\"   in.ida out.ida 1 0 run.log c.clr   ", 0,
         "in.ida out.ida 1 0 run.log c.clr"},
        // Two spaces make an empty intercept field, taken as 0.
        {quoted + " in.ida out.ida 1  run.log c.clr", 0, "in.ida out.ida 1  run.log c.clr"},
        {quoted + " in.ida out.ida  1 0 run.log c.clr", 2, nullptr},
        {quoted + " in.ida out.ida 1 0 run.log\tc.clr", 2, nullptr},
        // Quotes are ordinary characters of a field.
        {quoted + " \"in.ida\" out.ida 1 0 run.log c.clr", 1,
         "\"in.ida\" out.ida 1 0 run.log c.clr"},
        {"\"Brennix in.ida out.ida 1 0 run.log c.clr", 2, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.line);
        testing::remove_path("run.log");
        const ProgramRun run = run_program(c.line);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.logged == nullptr) {
            EXPECT_FALSE(testing::file_exists("run.log"));
            continue;
        }
        const std::vector<std::string> log = testing::crlf_lines(read_file("run.log"));
        ASSERT_GE(log.size(), 2u);
        EXPECT_EQ(log[1], std::string("Logging : ") + c.logged);
    }
}

TEST_F(WindowsProgram, FailuresGoToStandardErrorWithTheirStatus)
{
    const ProgramRun missing = run_program("Brennix none.ida out.ida 1 0 run.log c.clr");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Cannot read In_file \"none.ida\": No such file or directory\r\n");
    EXPECT_FALSE(testing::file_exists("out.ida"));
}

} // namespace
} // namespace brennix
#endif
