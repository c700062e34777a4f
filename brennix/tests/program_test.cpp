// The real program run as a child: the command-line cases (the exit status,
// the whole of standard error, the log after its run stamp, the output
// image, the colour file, and that every file the run may not write, an
// earlier output, log or colour file included, is left as it was), a signal
// ending a run, and the usage screen on a terminal.  Most cases are lines of
// program.cases; those with whole texts to compare or an input made by code
// are written here.
#include "reports.h"

#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>
#if defined(_WIN32)
#  include <windows.h>
#else
#  include <chrono>
#  include <csignal>
#  include <fcntl.h>
#  include <poll.h>
#  include <pty.h>
#  include <sys/prctl.h>
#  include <sys/ioctl.h>
#  include <sys/stat.h>
#  include <sys/sysmacros.h>
#  include <sys/wait.h>
#  include <termios.h>
#  include <thread>
#  include <unistd.h>
#endif

namespace brennix {
namespace {

namespace fs = std::filesystem;

// A type-200 plate carree header (centre 45 N 10 E at column 100, line 50,
// 10 pixels per unit; parallels 30 and 60, which the projection ignores but
// the header report shows) with the image's size, law and missing code, then
// the pixels as given.  The header's last byte is not 0, so that header
// bytes written over pixels show.
std::string make_ida(int height, int width, int missing, double slope, double intercept,
                     const std::string &pixels)
{
    std::string header(512, '\0');
    header[22] = static_cast<char>(200);
    header[23] = 3;
    header[30] = static_cast<char>(height & 0xff);
    header[31] = static_cast<char>((height >> 8) & 0xff);
    header[32] = static_cast<char>(width & 0xff);
    header[33] = static_cast<char>((width >> 8) & 0xff);
    const double reals[] = {45.0, 10.0, 100.0, 50.0, 10.0, 10.0, 30.0, 60.0, slope, intercept};
    const std::size_t places[] = {120, 126, 132, 138, 144, 150, 156, 162, 171, 177};
    for (std::size_t i = 0; i < std::size(reals); ++i) {
        unsigned char bytes[6];
        _DoubleCtoRealPascal(bytes, reals[i]);
        std::memcpy(&header[places[i]], bytes, 6);
    }
    header[169] = static_cast<char>(250);
    header[170] = static_cast<char>(missing);
    header[183] = 2;
    header[511] = 'H';
    return header + pixels;
}

std::string read_file(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string &name, const std::string &bytes)
{
    std::ofstream(name, std::ios::binary) << bytes;
}

// A test whose working directory is a fresh folder of its own, made under
// a name no other test or run can hold at the same time.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device seed;
        do {
            folder_ = fs::temp_directory_path() / ("brennix-test-" + std::to_string(seed()));
        } while (!fs::create_directory(folder_));
        fs::current_path(folder_);
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        std::error_code error;
        fs::remove_all(folder_, error);
        EXPECT_FALSE(error) << error.message();
    }

private:
    fs::path previous_ = fs::current_path(), folder_;
};

// The pieces of a text between the separators, empty ones included.
std::vector<std::string> split(const std::string &text, const std::string &at)
{
    std::vector<std::string> pieces;
    for (std::size_t start = 0;; start += at.size()) {
        const std::size_t end = text.find(at, start);
        pieces.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return pieces;
        start = end;
    }
}

#if defined(_WIN32)
HANDLE inheritable(const char *name, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The raw command line "Brennix COMMAND"; Brennix.exe sits one folder above
// the test program.  The outputs are left in stdout.txt and stderr.txt with
// line ends "\n", after a check that the program wrote CR LF.
int run_program(const std::string &command)
{
    char own[MAX_PATH];
    const fs::path test_program(std::string(own, GetModuleFileNameA(nullptr, own, MAX_PATH)));
    const std::string program = (test_program.parent_path().parent_path() / "Brennix.exe").string();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = inheritable("stdout.txt", GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = inheritable("stderr.txt", GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    std::string line = "Brennix " + command;
    DWORD status = 999;
    // Wine now and then fails to start a process that starts the next time;
    // a start that fails is tried again before the case fails.
    bool started = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        started = CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                                 nullptr, &startup, &process) != 0;
        if (!started) {
            error = GetLastError();
            Sleep(200);
        }
    }
    EXPECT_TRUE(started) << "Brennix.exe did not start (error " << error << ")";
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        CloseHandle(handle);
    for (const char *name : {"stdout.txt", "stderr.txt"}) {
        std::string text = read_file(name);
        EXPECT_EQ(split(text, "\n").size(), split(text, "\r\n").size()) << text;
        for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;)
            text.erase(at, 1);
        write_file(name, text);
    }
    return static_cast<int>(status);
}
#else
// Starts the program on the arguments with the given standard input, output
// and error, in a session of its own whose controlling terminal is the
// input when that is a terminal, and with the signal `ignored` ignored.
pid_t start_program(std::vector<std::string> args, int in, int out, int err, int ignored = 0)
{
    std::vector<char *> argv{const_cast<char *>(BRENNIX_PROGRAM)};
    for (std::string &arg : args)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        // Out of the test's process group, a run would outlive a test that
        // is killed (a timeout) and go on spinning if it never ends.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() == 1)
            _exit(122);
        ioctl(in, TIOCSCTTY, 0);
        // The program keeps an ending signal its starter ignores (a
        // background job's SIGINT, SIGHUP under nohup).
        for (const int ending : {SIGHUP, SIGINT, SIGQUIT, SIGTERM})
            std::signal(ending, ending == ignored ? SIG_IGN : SIG_DFL);
        if (dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(120);
        execv(BRENNIX_PROGRAM, argv.data());
        _exit(121);
    }
    return child;
}

// The command's fields as separate arguments, which the program joins by
// single spaces again; standard input empty, the outputs left in stdout.txt
// and stderr.txt.  The exit status, or -1.
int run_program(const std::string &command)
{
    const int files[] = {open("/dev/null", O_RDONLY),
                         open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600),
                         open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600)};
    const pid_t child = start_program(split(command, " "), files[0], files[1], files[2]);
    for (const int file : files)
        close(file);
    int raw = 0;
    return child > 0 && waitpid(child, &raw, 0) == child && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}
#endif

// Every entry below the working folder: file contents, or a marker for a
// folder, a link (never followed: it may lead to a device) or a device.
std::map<std::string, std::string> snapshot()
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(".")) {
        const std::string name = entry.path().lexically_relative(".").generic_string();
        files[name] = entry.is_symlink()          ? "<link>"
                      : entry.is_directory()      ? "<folder>"
                      : entry.is_character_file() ? "<device>"
                                                  : read_file(entry.path().string());
    }
    return files;
}

// The full device under name: a node of its own where one can be made (as
// root), so that a faulty build that replaces what it should write into
// replaces that node and not /dev/full; else a link to /dev/full, which
// only root could replace.
void make_full_device(const std::string &name)
{
#if !defined(_WIN32)
    if (mknod(name.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0)
        return;
#endif
    fs::create_symlink("/dev/full", name);
}

// What a run may write, in the order a failure stops at: nothing, the log,
// the log and the output image, or those and the colour file.
const char *const writes_names[] = {"nothing", "log", "image_and_log", "all"};

struct Case {
    std::string what{};
    std::string command{};
    // Writes the input files, and the expectations that are too large to
    // hold in every run of the test program.
    std::function<void(Case &)> prepare{};
    int status = 0;
    std::string err{};                      // the whole of standard error
    std::vector<std::string> pixel_lines{}; // the log's lines after the report
    std::string pixels{};                   // the output image's pixels
    // How many of the files above the run may write (an index of
    // writes_names); -1 for what the exit status implies.
    int writes = -1;
    bool posix_only = false; // names, devices or reasons of POSIX
    // Whole texts, when given: of stdout.txt, the log after its stamp, or a
    // file.
    std::map<std::string, std::string> texts{};
};

// The pixels of the 4 x 4 image: bytes 0, 16, .. 240, never Missing.
std::string sixteen_bytes()
{
    std::string bytes;
    for (int v = 0; v < 256; v += 16)
        bytes += static_cast<char>(v);
    return bytes;
}

// The log's pixel lines of a case that checks only the image.
const std::vector<std::string> unchecked = {"(not checked)"};

std::string line(std::size_t column, std::size_t row, const std::string &value, const char *side)
{
    return " Pixel/Row  " + std::to_string(column) + " / " + std::to_string(row) + "  (" + value +
           ") out of range (" + side + ")";
}

// Rows of 1000 pixels over several pieces of the pixel stream, 0.5 x byte
// - 10 stored anew as 2 x byte - 20, with the pixels `logged` picks set to
// 0: positions run on across pieces and the short last piece is neither
// dropped nor overread.  Images of a few MiB are done in two halves at
// once; the second holds back its log lines, and when they grow large
// hands the rest of its half back to the first.
constexpr std::size_t piece = 256 * 1024;
Case across_pieces(const char *what, std::size_t half_pieces,
                   const std::function<bool(std::size_t at, std::size_t count)> &logged)
{
    Case c{what, "in.ida out.ida 0.25 -5 run.log c.clr"};
    c.prepare = [half_pieces, logged](Case &run) {
        const int height = int(half_pieces * piece / 2 / 1000);
        const std::size_t count = std::size_t(1000) * std::size_t(height);
        std::string pixels;
        for (std::size_t at = 0; at < count; ++at) {
            const bool low = logged(at, count);
            pixels += static_cast<char>(low ? 0 : 10 + at % 128);
            run.pixels += static_cast<char>(low ? 0 : 2 * (at % 128));
            if (low)
                run.pixel_lines.push_back(line(at % 1000, at / 1000, "-10 ", "underflow"));
        }
        run.pixel_lines.emplace_back(); // after the last line end
        write_file("in.ida", make_ida(height, 1000, 255, 0.5, -10.0, pixels));
    };
    return c;
}

// The cases whose expectations are whole texts: everything the golden run
// writes and shows, byte for byte, and the usage screen.
std::vector<Case> whole_text_cases()
{
    const std::string golden_file = make_ida(
        3, 4, 255, 0.5, -10.0, std::string("\x09\x0A\x89\x8A\xFF\xC8\x00\x64\x32\xFF\xFE\x0B", 12));
    Case run{"golden run", "in.ida out.ida 0.25 -5 run.log colours.clr"};
    run.prepare = [golden_file](Case &) { write_file("in.ida", golden_file); };
    run.pixels = std::string("\x00\x00\xFE\xFE\xFF\xFE\x00\xB4\x50\xFF\xFE\x02", 12);
    run.texts["stdout.txt"] =
        " In,  out:    in.ida        out.ida\n"
        "SlopO, IntO:  .25           -5 \n"
        "LogFile, SCLR: run.log      colours.clr\n"
        "ImType:        200 \nImProj:        3 \nImHite:        3 \nImWIDz:        4 \n"
        "Mis:           255 \nIntI:         -10 \nSlopI:         .5 \n";
    run.texts["run.log"] =
        "Logging : in.ida out.ida 0.25 -5 run.log colours.clr\r\n\r\n"
        "Header.ImageType       AS BYTE         >                  200<\r\n"
        "Header.Projection      AS BYTE         >                    3<\r\n"
        "Header.Height          AS INTEGER      >                    3<\r\n"
        "Header.WIDz            AS INTEGER      >                    4<\r\n"
        "Header.Title( 1-40)    AS STRING*80    >Built from in.ida with new slope and int<\r\n"
        "Header.Title(41-80)    AS STRING*80    >ercept                                  <\r\n"
        "Header.LatCenter       AS string*6     >     45.             <\r\n"
        "Header.LongCenter      AS string*6     >     10.             <\r\n"
        "Header.xcenter         AS string*6     >    100.             <\r\n"
        "Header.ycenter         AS string*6     >     50.             <\r\n"
        "Header.dx              AS string*6     >     10.             <\r\n"
        "Header.dy              AS string*6     >     10.             <\r\n"
        "Header.Parallel1       AS string*6     >     30.             <\r\n"
        "Header.Parallel2       AS string*6     >     60.             <\r\n"
        "Header.Lower           AS BYTE         >                    0<\r\n"
        "Header.Upper           AS BYTE         >                  254<\r\n"
        "Header.Missing         AS BYTE         >                  255<\r\n"
        "Header.m (slope)       AS string*6     >      0.25           <\r\n"
        "Header.b (intercept)   AS string*6     >     -5.             <\r\n"
        "Header.Decimals        AS BYTE         >                    2<\r\n"
        "\r\n"
        " Pixel/Row  0 / 0  (-5.5 ) out of range (underflow)\r\n"
        " Pixel/Row  3 / 0  ( 59 ) out of range (overflow)\r\n"
        " Pixel/Row  1 / 1  ( 90 ) out of range (overflow)\r\n"
        " Pixel/Row  2 / 1  (-10 ) out of range (underflow)\r\n"
        " Pixel/Row  2 / 2  ( 117 ) out of range (overflow)\r\n";
    run.texts["out.ida"] =
        golden_file.substr(0, 38) + "Built from in.ida with new slope and intercept" +
        std::string(34, ' ') + golden_file.substr(118, 50) +
        std::string("\x00\xFE\xFF\x7F\x00\x00\x00\x00\x00\x83\x00\x00\x00\x00\xA0", 15) +
        golden_file.substr(183, 329) + run.pixels;
    run.texts["COLOURS.CLR"] = "From    To   Red     Green   Blue    Legend\r\n"
                               "  0      0   255     255       0        <-5 \r\n"
                               "  1      9   255     255     217     -5  to -3 \r\n"
                               "  9     19   236     255     255     -3  to -1 \r\n"
                               " 19     29   123     255     255     -1  to  2 \r\n"
                               " 29     49     0     238     238      2  to  7 \r\n"
                               " 49     79     0     206     206      7  to  14 \r\n"
                               " 79     99    26     141     185      14  to  19 \r\n"
                               " 99    129     3     112     158      19  to  27 \r\n"
                               "129    159    11      70     123      27  to  34 \r\n"
                               "159    179   102      28     170      34  to  39 \r\n"
                               "179    194   154      65     123      39  to  43 \r\n"
                               "194    210   140      55     121      43  to  47 \r\n"
                               "211    229   168      38      71      47  to  52 \r\n"
                               "229    253    28       2       7      52  to  58 \r\n"
                               "254    254   255       0       0        > 58 \r\n"
                               "255    255     0     255       0        Missing\r\n";
    Case usage{"no fields: the usage screen", "", nullptr, 2};
    usage.texts["stdout.txt"] =
        "\n Correct syntax is\n\n"
        " Brennix In_file Out_file Slope Intercept LogFile.txt Colour_File.CLR\n\n"
        " The programme reads an IDA file and converts it to another IDA file using the required"
        " slope and intercept values\n\n"
        " The SLOPE and the INTERCEPT on the command line are used in the output file, but the"
        " input file can have any\n"
        " slope and intercept settings. The missing data code of input is transferred to the"
        " output\n\n"
        " LogFile.TXT contains information about pixels that cannot be represented with the"
        " selected slope and intercept\n"
        " (underflow or overflow). When this happens, the minimum value is set to ByteValue of 0"
        " and the Max\n"
        " is set to Missing - 1.\n\n"
        " The  programme creates a colour file adapted to the proposed slope and intercept\n\n"
        " Press any key ...";
    return {run, usage};
}

const char case_text[] =
#include "program_cases.inc"
    ;

// A text of the case file: \r, \n and \t stand for their characters.
std::string unescaped(std::string text)
{
    for (const char *escape : {"\\r\r", "\\n\n", "\\t\t"})
        for (std::size_t at; (at = text.find(escape, 0, 2)) != std::string::npos;)
            text.replace(at, 2, 1, escape[2]);
    return text;
}

// Writes the files of a case's input field (the steps are described at the
// top of the case file).
void make_input(const std::string &field)
{
    for (const std::string &step : split(field, " + ")) {
        std::vector<std::string> words = split(step, " ");
        const bool named = words.size() > 2 && words.end()[-2] == "as";
        const std::string name = named ? words.back() : "in.ida";
        words.resize(words.size() - (named ? 2 : 0));
        std::vector<double> n;
        for (std::size_t i = 1; i < words.size(); ++i)
            n.push_back(std::atof(words[i].c_str()));
        std::string file =
            make_ida(4, 4, 255, 0.5, words[0] == "law" ? 20.0 : -10.0, sixteen_bytes());
        if (words[0] == "folder") {
            fs::remove(words[1]);
            fs::create_directory(words[1]);
            continue;
        } else if (words[0] == "link") {
            fs::create_symlink(words[2], words[1]);
            continue;
        } else if (words[0] == "full") {
            make_full_device(words[1]);
            continue;
        } else if (words[0] == "row") {
            std::string pixels;
            for (std::size_t i = 4; i < words.size(); ++i)
                pixels += static_cast<char>(std::stoi(words[i]));
            file = make_ida(1, int(pixels.size()), int(n[0]), n[1], n[2], pixels);
        } else if (words[0] == "sized") {
            file =
                make_ida(int(n[0]), int(n[1]), 255, 0.5, -10.0, std::string(std::size_t(n[2]), 3));
        } else if (words[0] == "law") {
            for (std::size_t i = 0; i < 6; ++i)
                file[std::size_t(n[0]) + i] =
                    char(std::stoi(words[2].substr(2 * i, 2), nullptr, 16));
        } else if (words[0].rfind("sixteen", 0) != 0) {
            ASSERT_TRUE(words[0].empty()) << "unknown input step: " << step;
            continue;
        }
        const std::size_t colon = words[0].find(':');
        write_file(name, colon == std::string::npos
                             ? file
                             : file.substr(0, std::stoul(&words[0][colon + 1])));
    }
}

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

// One line of the case file.
Case parsed(const std::string &text)
{
    std::vector<std::string> fields = split(text, " | ");
    fields.resize(9);
    Case c{fields[0], unescaped(fields[1])};
    c.prepare = [input = fields[2]](Case &) { make_input(input); };
    c.status = std::atoi(fields[3].c_str());
    c.err = fields[4].empty() ? "" : unescaped(fields[4]) + "\n";
    std::istringstream pixels(fields[5] == "sixteen" ? "" : fields[5]);
    c.pixels = fields[5] == "sixteen" ? sixteen_bytes() : "";
    for (std::string word; pixels >> word;) {
        const std::size_t times = word.find('*');
        c.pixels.append(times == std::string::npos ? 1 : std::stoul(word.substr(times + 1)),
                        static_cast<char>(std::stoi(word)));
    }
    std::istringstream logged(fields[6]);
    for (std::string place, value, side; logged >> place >> value >> side;)
        c.pixel_lines.push_back(line(
            std::stoul(place), std::stoul(place.substr(place.find('/') + 1)),
            (value[0] == '-' ? "" : " ") + value + " ", side[0] == 'o' ? "overflow" : "underflow"));
    c.pixel_lines.emplace_back(); // after the last line end
    if (fields[6] == "unchecked")
        c.pixel_lines = unchecked;
    std::istringstream options(fields[7]);
    for (std::string option; options >> option;) {
        const auto writes = std::find(std::begin(writes_names), std::end(writes_names),
                                      option.substr(std::min<std::size_t>(7, option.size())));
        if (option == "posix")
            c.posix_only = true;
        else if (option.rfind("writes=", 0) == 0 && writes != std::end(writes_names))
            c.writes = int(writes - std::begin(writes_names));
        else
            throw std::invalid_argument("unknown option: " + option);
    }
    if (!fields[8].empty())
        c.texts[split(trimmed(c.command), " ")[4]] = unescaped(fields[8]);
    return c;
}

std::vector<Case> cases()
{
    std::vector<Case> all = whole_text_cases();
    all.push_back(across_pieces("pixels across pieces of the stream", 5, [](auto at, auto count) {
        return at == 0 || at == piece - 513 || at == piece - 512 || at == count - 1;
    }));
    all.push_back(across_pieces(
        "an image in two halves, the second logging much", 21, [](auto at, auto count) {
            return at == 0 || at == count - 1 || (at >= count / 2 - 2 * piece && at % 8 == 0);
        }));
    for (std::string text : split(case_text, "\n")) {
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (!text.empty() && text[0] != '#')
            all.push_back(parsed(text));
    }
    return all;
}

// Names the case in test lists and failure messages instead of its bytes.
void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.what;
}

class Cases : public ScratchFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(Cases, RunThroughTheProgram)
{
    Case c = GetParam();
#if defined(_WIN32)
    if (c.posix_only)
        GTEST_SKIP() << "POSIX names or devices, or a reason Windows words otherwise";
#endif
    // Earlier results, longer than any new one: a run replaces them whole.
    write_file("out.ida", std::string(3000, 'o'));
    write_file("run.log", std::string(10000, 'x'));
    write_file("COLOURS.CLR", "an earlier colour file\r\n");
    if (c.prepare)
        c.prepare(c);
    // The command's fields; an output named through a link to a file is
    // that file, and the link is kept.  A refused command may lack some.
    std::vector<std::string> fields = split(trimmed(c.command), " ");
    fields.resize(6);
    if (fs::is_symlink(fields[1]) && fs::is_regular_file(fields[1]))
        fields[1] = fs::relative(fs::canonical(fields[1])).generic_string();
    std::map<std::string, std::string> before = snapshot();
    const std::time_t start = std::time(nullptr);
    const int status = run_program(c.command);
    const std::time_t end = std::time(nullptr);
    std::map<std::string, std::string> after = snapshot();

    EXPECT_EQ(status, c.status);
    EXPECT_EQ(after["stderr.txt"], c.err);

    // The outputs, then the log, the output image and the colour file, the
    // first `writes` of which the run may write.
    const std::string results[] = {"stdout.txt", "stderr.txt", fields[4], fields[1],
                                   colour_file_name(fields[5])};
    const int writes = c.writes >= 0 ? c.writes : c.status == 0 ? 3 : c.status == 1 ? 1 : 0;
    std::map<std::string, std::string> kept_before = before, kept_after = after;
    for (int i = 0; i < 2 + writes; ++i) {
        EXPECT_EQ(after.count(results[i]), 1u) << results[i] << " was not written";
        kept_before.erase(results[i]);
        kept_after.erase(results[i]);
    }
    EXPECT_TRUE(kept_after == kept_before) << "a file the run may not write was left or changed";

    if (writes > 0) {
        // The stamp of a second the run lasted, then the rest.
        std::string &log = after[fields[4]];
        std::set<std::string> stamps;
        for (std::time_t t = start; t <= end; ++t) {
            char stamp[32];
            std::strftime(stamp, sizeof stamp, "%m-%d-%Y    %H:%M:%S", std::localtime(&t));
            stamps.insert(std::string(stamp) + "\r\n");
        }
        const std::size_t stamp_end = log.find("\r\n") + 2;
        EXPECT_EQ(stamps.count(log.substr(0, stamp_end)), 1u) << log;
        log.erase(0, stamp_end);
        const std::vector<std::string> lines = split(log, "\r\n");
        if (!c.texts.count(fields[4])) {
            ASSERT_GE(lines.size(), 3u);
            EXPECT_EQ(lines[0], "Logging : " + trimmed(c.command));
            EXPECT_EQ(lines[1], "");
            // A failure ends the log, when the log is still open.
            if (writes == 1) {
                EXPECT_EQ(lines.end()[-2] + "\n" + lines.back(), c.err);
            } else if (c.pixel_lines != unchecked) {
                EXPECT_EQ(std::vector<std::string>(
                              lines.begin() + std::min<std::size_t>(23, lines.size()), lines.end()),
                          c.pixel_lines);
            }
        }
    }
    if (c.status == 0) {
        const std::string &in = before[fields[0]];
        const std::string &image = after[fields[1]];
        ASSERT_EQ(image.size(), 512 + c.pixels.size());
        // The header as it was but for the title and the new range and law.
        EXPECT_EQ(image.substr(0, 38) + image.substr(118, 50) + image.substr(183, 329),
                  in.substr(0, 38) + in.substr(118, 50) + in.substr(183, 329));
        EXPECT_EQ(image.substr(168, 3),
                  (std::string{'\0', static_cast<char>(in[170] - 1), in[170]}));
        EXPECT_TRUE(image.substr(512) == c.pixels);
#if !defined(_WIN32)
        // The mode any new file gets, not the private one of a temporary,
        // also for the colour file made after it.
        const mode_t mask = umask(0);
        umask(mask);
        for (const int i : {3, 4})
            EXPECT_EQ(fs::status(results[i]).permissions(), fs::perms(0666 & ~mask)) << results[i];
#endif
    }
    for (const auto &text : c.texts)
        EXPECT_EQ(after[text.first], text.second) << text.first;
}

std::string case_name(const ::testing::TestParamInfo<Case> &info)
{
    std::string name = info.param.what;
    std::replace_if(
        name.begin(), name.end(), [](unsigned char ch) { return !std::isalnum(ch); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Brennix, Cases, ::testing::ValuesIn(cases()), case_name);

#if !defined(_WIN32)
// Whether `done` comes true within ten seconds, asked every 10 ms.
bool eventually(const std::function<bool()> &done)
{
    for (int waited = 0; waited < 1000; ++waited, usleep(10000))
        if (done())
            return true;
    return false;
}

class Signals : public ScratchFolder {};

// A signal that ends a run while the image is being written leaves neither
// the temporary file nor a changed output behind, and so does an input that
// ends short of its pixels (a failure, status 1).  The input is a pipe held
// open after part of the pixels, so the run waits with its temporary file
// made.  A signal its starter ignores changes nothing.
TEST_F(Signals, EndingSignalRemovesTheTemporaryFile)
{
    const std::string header = make_ida(100, 100, 255, 0.5, -10.0, "");
    auto temporary_made = [] {
        for (const fs::directory_entry &entry : fs::directory_iterator("."))
            if (entry.path().filename().string().rfind(".brennix-", 0) == 0)
                return true;
        return false;
    };
    const struct {
        int sent; // 0: none, the pipe is closed
        bool ignored;
    } rounds[] = {{SIGINT, false}, {SIGTERM, false}, {0, false}, {SIGHUP, true}};
    for (const auto &round : rounds) {
        const int signal_number = round.sent;
        const bool ends = signal_number != 0 && !round.ignored;
        write_file("out.ida", "earlier");
        ASSERT_EQ(mkfifo("in.ida", 0600), 0);
        const int nothing = open("/dev/null", O_RDWR);
        const int errors = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const pid_t child =
            start_program({"in.ida", "out.ida", "1", "0", "run.log", "c.clr"}, nothing, nothing,
                          errors, round.ignored ? signal_number : 0);
        close(nothing);
        close(errors);
        const int pipe = open("in.ida", O_WRONLY);
        ASSERT_GE(pipe, 0);
        ASSERT_EQ(write(pipe, header.data(), header.size()), 512);
        ASSERT_EQ(write(pipe, "some pixels", 11), 11);
        EXPECT_TRUE(eventually(temporary_made));
        if (signal_number != 0)
            kill(child, signal_number);
        if (!ends)
            close(pipe);
        int raw = 0;
        waitpid(child, &raw, 0);
        if (ends)
            close(pipe);
        EXPECT_TRUE(ends ? WIFSIGNALED(raw) && WTERMSIG(raw) == signal_number
                         : WIFEXITED(raw) && WEXITSTATUS(raw) == 1)
            << signal_number;
        if (!ends) {
            EXPECT_EQ(read_file("stderr.txt"), "Cannot read In_file \"in.ida\": pixel data holds "
                                               "11 bytes, Height x WIDz is 10000\n");
        }
        EXPECT_FALSE(temporary_made()) << signal_number;
        EXPECT_EQ(read_file("out.ida"), "earlier");
        unlink("in.ida");
    }
}

// An output image that is standard output itself (a pipe here) is all the
// pipe gets: the text the run shows goes to standard error, whole.
TEST_F(ScratchFolder, StandardOutputAsTheImageTakesTheImageAlone)
{
    write_file("in.ida", make_ida(4, 4, 255, 0.5, -10.0, sixteen_bytes()));
    ASSERT_EQ(run_program("in.ida out.ida 1 0 run.log c.clr"), 0);
    const std::string image = read_file("out.ida"), text = read_file("stdout.txt");
    ASSERT_TRUE(fs::remove("out.ida") && mkfifo("out.ida", 0600) == 0);
    const int reader = open("out.ida", O_RDONLY | O_NONBLOCK);
    const int files[] = {open("out.ida", O_WRONLY), open("/dev/null", O_RDONLY),
                         open("stderr.txt", O_WRONLY | O_TRUNC)};
    const pid_t child = start_program({"in.ida", "out.ida", "1", "0", "run.log", "c.clr"}, files[1],
                                      files[0], files[2]);
    for (const int file : files)
        close(file);
    int raw = 0;
    ASSERT_EQ(waitpid(child, &raw, 0), child);
    std::string piped(4096, '\0');
    piped.resize(std::size_t(std::max<ssize_t>(read(reader, &piped[0], piped.size()), 0)));
    close(reader);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0);
    EXPECT_EQ(piped, image);
    EXPECT_EQ(read_file("stderr.txt"), text);
}

// The real program on a pseudo-terminal: title, clearing and colours by
// escape sequences, the usage screen's wait for one key without Enter, and
// the terminal handed back as it was (colours, title, line mode) however
// the wait ends; with only standard input on the terminal nothing waits.
// The title is saved by "ESC [22;0t" and restored by "ESC [23;0t".

// Reads from the terminal until `wanted` has appeared or ten seconds are up.
std::string read_until(int master, const std::string &wanted)
{
    std::string seen;
    eventually([&] {
        pollfd ready{master, POLLIN, 0};
        char buffer[4096];
        const ssize_t got = poll(&ready, 1, 0) > 0 ? read(master, buffer, sizeof buffer) : 0;
        seen.append(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        return seen.find(wanted) != std::string::npos;
    });
    return seen;
}

// Waits up to ten seconds for the child; false, and the child killed, when
// it is still running.
bool ended(pid_t child, int &status)
{
    if (eventually([&] { return waitpid(child, &status, WNOHANG) == child; }))
        return true;
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return false;
}

struct Terminal {
    int master = -1, slave = -1;
    Terminal() { openpty(&master, &slave, nullptr, nullptr, nullptr); }
    ~Terminal() { close(master), close(slave); }
};

TEST(Terminal, EveryEndOfTheKeyWaitHandsTheTerminalBack)
{
    const struct {
        const char *name;
        const char *typed; // typed on the terminal, or nullptr: the signal is sent
        int signal;        // the signal that ends it, 0 for exit status 2
    } endings[] = {{"a key", "x", 0}, {"Ctrl-C", "\x03", SIGINT}, {"SIGTERM", nullptr, SIGTERM}};
    for (const auto &ending : endings) {
        SCOPED_TRACE(ending.name);
        Terminal terminal;
        ASSERT_GE(terminal.master, 0);
        termios before;
        ASSERT_EQ(tcgetattr(terminal.slave, &before), 0);
        const pid_t child = start_program({}, terminal.slave, terminal.slave, terminal.slave);
        ASSERT_GT(child, 0);

        const std::string shown = read_until(terminal.master, "Press any key ...");
        EXPECT_EQ(shown.find("\x1b[22;0t"), 0u);
        for (const char *sequence :
             {"\x1b]0;Brennix changes slope and intercept in IDA files, by Tolmar (20050711)\x07",
              "\x1b[2J", "\x1b[93;40m",
              "\x1b[97;40m Brennix In_file Out_file Slope Intercept LogFile.txt "
              "Colour_File.CLR\r\n\x1b[93;40m"})
            EXPECT_NE(shown.find(sequence), std::string::npos) << sequence;
        termios waiting;
        ASSERT_EQ(tcgetattr(terminal.slave, &waiting), 0);
        EXPECT_EQ(waiting.c_lflag & (ICANON | ECHO), 0u);

        int status = 0;
        usleep(200000);
        EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "did not wait for a key";
        if (ending.typed)
            ASSERT_EQ(write(terminal.master, ending.typed, 1), 1);
        else
            kill(child, ending.signal);
        const std::string after = read_until(terminal.master, "\x1b[23;0t");
        ASSERT_TRUE(ended(child, status));

        EXPECT_TRUE(ending.signal ? WIFSIGNALED(status) && WTERMSIG(status) == ending.signal
                                  : WIFEXITED(status) && WEXITSTATUS(status) == 2);
        // The key is not echoed; a line end, line mode, colours and title
        // come back.
        EXPECT_EQ(after.find('x'), std::string::npos);
        EXPECT_NE(after.find("\r\n\x1b[0m\x1b[23;0t"), std::string::npos);
        termios restored;
        ASSERT_EQ(tcgetattr(terminal.slave, &restored), 0);
        EXPECT_EQ(restored.c_lflag, before.c_lflag);
    }
}

TEST(Terminal, NoWaitWhenStandardOutputIsNotTheTerminal)
{
    Terminal terminal;
    ASSERT_GE(terminal.master, 0);
    const int nothing = open("/dev/null", O_WRONLY);
    const pid_t child = start_program({}, terminal.slave, nothing, terminal.slave);
    close(nothing);
    ASSERT_GT(child, 0);
    int status = 0;
    EXPECT_TRUE(ended(child, status)) << "waited for an unseen prompt";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

#else
// The null device as the output takes the image where it is, as a device
// must (a rename over it fails); the log and the colour file are written as
// ever, and no temporary file stays behind.
TEST_F(ScratchFolder, NullDeviceAsTheOutputIsWrittenDirectly)
{
    write_file("in.ida", make_ida(4, 4, 255, 0.5, -10.0, sixteen_bytes()));
    EXPECT_EQ(run_program("in.ida NUL 1 0 run.log c.clr"), 0);
    std::string names;
    for (const auto &entry : snapshot())
        names += entry.first + (entry.first == "stderr.txt" ? "=" + entry.second + " " : " ");
    EXPECT_EQ(names, "C.CLR in.ida run.log stderr.txt= stdout.txt ");
}

#endif

} // namespace
} // namespace brennix
