// The real program: exit statuses, plain output when not on a terminal,
// the command text rebuilt from the arguments, and the run stamp's shape.
// On Windows the program reads its raw command line instead; the tests of
// that are in program_win32_test.cpp.
#if !defined(_WIN32)
#include "run_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <string>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace brennix {
namespace {

using testing::read_file;

struct ProgramRun {
    int status;
    std::string out;
    std::string err;
};

// Runs the program with the arguments, each quoted for the shell, stdin
// from /dev/null and the outputs captured.
ProgramRun run_program(const std::vector<std::string> &arguments)
{
    std::string command = "'" + std::string(BRENNIX_PROGRAM) + "'";
    for (const std::string &argument : arguments)
        command += " '" + argument + "'";
    command += " </dev/null >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read_file("stdout.txt"),
                   read_file("stderr.txt")};
    unlink("stdout.txt");
    unlink("stderr.txt");
    return run;
}

class Program : public testing::ScratchFolder {};

TEST_F(Program, UsageScreenIsPlainTextWithStatusTwo)
{
    const ProgramRun run = run_program({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(run.out.rfind("\n Correct syntax is\n\n Brennix In_file Out_file", 0), 0u);
    EXPECT_NE(run.out.find("\n\n Press any key ..."), std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - 18), " Press any key ...");
}

TEST_F(Program, ArgumentsAreJoinedBySingleSpaces)
{
    testing::TestImage image;
    image.pixels = {100};
    testing::write_file("in.ida", testing::make_ida(image));
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"in.ida", "out.ida", "1", "0", "run.log", "c.clr"}, 0},
        // An empty argument is an empty field: the intercept becomes 0.
        {{"in.ida", "out.ida", "1", "", "run.log", "c.clr"}, 0},
        // A space inside an argument separates fields.
        {{"in.ida out.ida", "1", "0", "run.log", "c.clr"}, 0},
        {{"in.ida", "out.ida", "1", "0", "run.log", "c .clr"}, 2},
        // Spaces at either end of the whole text do not count.
        {{" in.ida", "out.ida", "1", "0", "run.log", "c.clr  "}, 0},
        {{"in.ida", "out.ida", "1", "0", "run.log"}, 2},
    };
    for (const auto &c : cases) {
        const ProgramRun run = run_program(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments[0] << " ... " << c.arguments.back();
        EXPECT_EQ(run.out.find('\x1b'), std::string::npos);
    }
}

TEST_F(Program, RunStampIsTheLocalDateAndTime)
{
    const std::time_t before = std::time(nullptr);
    const ProgramRun run = run_program(
        {BRENNIX_SAMPLE, "out.ida", "0.35", "-5", "run.log", "ndvi.clr"});
    const std::time_t after = std::time(nullptr);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string log = read_file("run.log");
    const std::regex stamp("^(\\d\\d)-(\\d\\d)-(\\d{4})    (\\d\\d):(\\d\\d):(\\d\\d)\r\n");
    std::smatch parts;
    ASSERT_TRUE(std::regex_search(log, parts, stamp)) << log.substr(0, 40);
    std::tm local{};
    local.tm_mon = std::stoi(parts[1]) - 1;
    local.tm_mday = std::stoi(parts[2]);
    local.tm_year = std::stoi(parts[3]) - 1900;
    local.tm_hour = std::stoi(parts[4]);
    local.tm_min = std::stoi(parts[5]);
    local.tm_sec = std::stoi(parts[6]);
    local.tm_isdst = -1;
    const std::time_t stamped = std::mktime(&local);
    EXPECT_GE(stamped, before - 1);
    EXPECT_LE(stamped, after + 1);
    EXPECT_NE(log.find("\r\nLogging : " + std::string(BRENNIX_SAMPLE) +
                       " out.ida 0.35 -5 run.log ndvi.clr\r\n\r\n"),
              std::string::npos);
    EXPECT_TRUE(testing::file_exists("NDVI.CLR"));
}

TEST_F(Program, FailuresGoToStandardErrorWithTheirStatus)
{
    const ProgramRun missing = run_program({"none.ida", "out.ida", "1", "0", "run.log", "c.clr"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "Cannot read In_file \"none.ida\": No such file or directory\n");

    const ProgramRun flat = run_program({"none.ida", "out.ida", "0", "0", "run.log", "c.clr"});
    EXPECT_EQ(flat.status, 2);
    EXPECT_EQ(flat.err.rfind("Slope: ", 0), 0u);
}


// A signal that ends a run while the image is being written leaves neither
// the temporary file nor a changed output behind.  The input is a pipe held
// open after part of the pixels, so the run waits with its temporary file
// made.
TEST_F(Program, EndingSignalRemovesTheTemporaryFile)
{
    testing::TestImage image;
    image.height = 100;
    image.width = 100;
    const std::string header = testing::make_ida(image);
    for (const int signal_number : {SIGINT, SIGTERM}) {
        testing::write_file("out.ida", "earlier");
        ASSERT_EQ(mkfifo("in.ida", 0600), 0);
        const pid_t child = fork();
        if (child == 0) {
            const int nothing = open("/dev/null", O_RDWR);
            dup2(nothing, 0);
            dup2(nothing, 1);
            execl(BRENNIX_PROGRAM, BRENNIX_PROGRAM, "in.ida", "out.ida", "1", "0", "run.log",
                  "c.clr", static_cast<char *>(nullptr));
            _exit(127);
        }
        const int pipe = open("in.ida", O_WRONLY);
        ASSERT_GE(pipe, 0);
        ASSERT_EQ(write(pipe, header.data(), header.size()), 512);
        ASSERT_EQ(write(pipe, "some pixels", 11), 11);
        auto temporary_made = [] {
            for (const std::string &name : testing::folder_entries("."))
                if (name.rfind(".brennix-", 0) == 0)
                    return true;
            return false;
        };
        for (int wait = 0; wait < 1000 && !temporary_made(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(temporary_made());
        kill(child, signal_number);
        int raw = 0;
        waitpid(child, &raw, 0);
        close(pipe);
        EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == signal_number) << signal_number;
        EXPECT_FALSE(temporary_made()) << signal_number;
        EXPECT_EQ(read_file("out.ida"), "earlier");
        unlink("in.ida");
    }
}

} // namespace
} // namespace brennix

#endif
