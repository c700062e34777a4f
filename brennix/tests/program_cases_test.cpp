// Brennix's command-line cases, each run through the real program: the exit
// status, the whole of standard error, the log after its run stamp, the
// output image, the colour file, and that every file the run may not write
// (an earlier output, log or colour file included) is left as it was.
#include "reports.h"
#include "run_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>
#if defined(_WIN32)
#  include <windows.h>
#else
#  include <chrono>
#  include <csignal>
#  include <fcntl.h>
#  include <sys/stat.h>
#  include <sys/wait.h>
#  include <thread>
#  include <unistd.h>
#endif

namespace brennix {
namespace {

using namespace test_support;

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::vector<std::string> split_at_spaces(const std::string &text)
{
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == ' ')
            fields.emplace_back();
        else
            fields.back().push_back(c);
    }
    return fields;
}

#if defined(_WIN32)
HANDLE inheritable(const char *name, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The raw command line "Brennix COMMAND"; Brennix.exe sits one folder above
// the test program.  Line ends come back as "\n", after a check that the
// program wrote CR LF.
ProgramRun run_program(const std::string &command)
{
    char own[MAX_PATH];
    std::string program(own, GetModuleFileNameA(nullptr, own, MAX_PATH));
    for (int up = 0; up < 2; ++up)
        program.erase(program.find_last_of("\\/"));
    program += "\\Brennix.exe";
    HANDLE handles[] = {inheritable("NUL", GENERIC_READ, OPEN_EXISTING),
                        inheritable("stdout.txt", GENERIC_WRITE, CREATE_ALWAYS),
                        inheritable("stderr.txt", GENERIC_WRITE, CREATE_ALWAYS)};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles[0];
    startup.hStdOutput = handles[1];
    startup.hStdError = handles[2];
    PROCESS_INFORMATION process{};
    std::string line = "Brennix " + command;
    DWORD status = 999;
    if (CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : handles)
        CloseHandle(handle);
    ProgramRun run{static_cast<int>(status), read_file("stdout.txt"), read_file("stderr.txt")};
    DeleteFileA("stdout.txt");
    DeleteFileA("stderr.txt");
    for (std::string *text : {&run.out, &run.err}) {
        std::string plain;
        for (const char ch : *text) {
            EXPECT_FALSE(ch == '\n' && (plain.empty() || plain.back() != '\r')) << *text;
            if (ch == '\n' && !plain.empty() && plain.back() == '\r')
                plain.pop_back();
            plain += ch;
        }
        *text = plain;
    }
    return run;
}
#else
// The command's fields as separate arguments, which the program joins by
// single spaces again; standard input empty, both outputs captured.
ProgramRun run_program(const std::string &command)
{
    std::vector<std::string> fields = split_at_spaces(command);
    std::vector<char *> argv{const_cast<char *>(BRENNIX_PROGRAM)};
    for (std::string &field : fields)
        argv.push_back(&field[0]);
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int nothing = open("/dev/null", O_RDONLY);
        const int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (dup2(nothing, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
            _exit(120);
        execv(BRENNIX_PROGRAM, argv.data());
        _exit(121);
    }
    int raw = 0;
    ProgramRun run;
    if (child > 0 && waitpid(child, &raw, 0) == child && WIFEXITED(raw))
        run.status = WEXITSTATUS(raw);
    run.out = read_file("stdout.txt");
    run.err = read_file("stderr.txt");
    unlink("stdout.txt");
    unlink("stderr.txt");
    return run;
}
#endif

// Every entry below the folder: file contents, or a marker for a folder or
// a link (never followed: it may lead to a device).
void snapshot(const std::filesystem::path &path, const std::string &name,
              std::map<std::string, std::string> &into)
{
    namespace fs = std::filesystem;
    if (fs::is_symlink(path))
        into[name] = "<link>";
    else if (!fs::is_directory(path))
        into[name] = read_file(path.string());
    else {
        if (!name.empty())
            into[name] = "<folder>";
        for (const std::string &entry : folder_entries(path.string()))
            snapshot(path / entry, name.empty() ? entry : name + "/" + entry, into);
    }
}

std::map<std::string, std::string> snapshot()
{
    std::map<std::string, std::string> files;
    snapshot(".", "", files);
    files.erase("stdout.txt");
    files.erase("stderr.txt");
    return files;
}

// Which files a run may write: none (refused before touching anything), the
// log alone (with the failure in it), the image and log, or all three.
enum class Writes { by_status, nothing, log, image_and_log, all };

struct Case {
    const char *what = "";
    std::string command{};
    std::function<void()> prepare{};
    int status = 0;
    std::string err{};                      // the whole of standard error
    std::vector<std::string> pixel_lines{}; // the log's lines after the report
    std::vector<int> pixels{};              // the output image's pixels
    Writes writes = Writes::by_status;
    bool posix_only = false; // names, devices or reasons of POSIX
    std::string out{};       // standard output, when given
    std::string log{};       // the log after its stamp, when given
    std::string image{};     // the output image, when given
    std::string colour{};    // the colour file, when given
};

// Writes in.ida: an image, or the bytes given.
std::function<void()> input(TestImage image)
{
    return [=] { write_file("in.ida", make_ida(image)); };
}
std::function<void()> input(std::string bytes)
{
    return [=] { write_file("in.ida", bytes); };
}

TestImage row(unsigned char missing, double slope, double intercept,
              std::vector<unsigned char> pixels)
{
    return {1, static_cast<int>(pixels.size()), missing, slope, intercept, pixels};
}

TestImage sized(int height, int width, std::size_t stored)
{
    return {height, width, 255, 0.5, -10.0, std::vector<unsigned char>(stored, 3)};
}

// 4 x 4, bytes 0, 16, .. 240, never Missing.
const std::vector<int> sixteen_bytes = {0,   16,  32,  48,  64,  80,  96,  112,
                                        128, 144, 160, 176, 192, 208, 224, 240};
TestImage sixteen()
{
    return {4, 4, 255, 0.5, -10.0, {sixteen_bytes.begin(), sixteen_bytes.end()}};
}

TestImage golden()
{
    return {3, 4, 255, 0.5, -10.0, {9, 10, 137, 138, 255, 200, 0, 100, 50, 255, 254, 11}};
}

// The sixteen pixels with an intercept of 20 and six bytes of the law replaced.
std::function<void()> law_bytes(std::size_t at, const std::string &bytes)
{
    TestImage image = sixteen();
    image.intercept = 20.0;
    std::string file = make_ida(image);
    return input(file.replace(at, 6, bytes));
}

std::function<void()> with(std::function<void()> first, std::function<void()> then)
{
    return [=] {
        first();
        then();
    };
}

std::function<void()> folder(const char *name)
{
    return [=] {
        std::filesystem::remove(name);
        std::filesystem::create_directory(name);
    };
}

std::string line(int column, int row, const std::string &value, const char *side)
{
    return " Pixel/Row  " + std::to_string(column) + " / " + std::to_string(row) + "  (" + value +
           ") out of range (" + side + ")";
}

const char over[] = "overflow";
const char under[] = "underflow";
const std::string file_missing = "No such file or directory\n";
// The log's pixel lines of a case that checks only the image.
const std::vector<std::string> unchecked = {"(not checked)"};

// Two and a half pieces of the pixel stream, 0.5 x byte - 10 stored anew as
// 2 x byte - 20: positions run on across pieces and the short last piece
// is neither dropped nor overread.
Case across_pieces()
{
    constexpr std::size_t piece = 256 * 1024;
    TestImage image = sized(static_cast<int>(5 * piece / 2 / 1000), 1000, 0);
    for (std::size_t i = 0; i < std::size_t(1000) * std::size_t(image.height); ++i)
        image.pixels.push_back(static_cast<unsigned char>(10 + i % 128));
    Case c{"pixels across pieces of the stream", "in.ida out.ida 0.25 -5 run.log c.clr", nullptr};
    for (std::size_t at : {std::size_t(0), piece - 1, piece, image.pixels.size() - 1}) {
        image.pixels[at] = 0;
        c.pixel_lines.push_back(line(int(at % 1000), int(at / 1000), "-10 ", under));
    }
    for (unsigned char v : image.pixels)
        c.pixels.push_back(v == 0 ? 0 : 2 * v - 20);
    c.prepare = input(image);
    return c;
}

const std::vector<Case> &cases()
{
    const std::string run = " run.log COLOURS.CLR";
    const std::string law = "in.ida out.ida 0.5 -10";
    const std::string good = make_ida(sixteen());
    static const std::vector<Case> table = {
        // The golden run: everything it writes and shows, byte for byte.
        {"golden run",
         "in.ida out.ida 0.25 -5 run.log colours.clr",
         input(golden()),
         0,
         "",
         {},
         {0, 0, 254, 254, 255, 254, 0, 180, 80, 255, 254, 2},
         Writes::all,
         false,
         " In,  out:    in.ida        out.ida\n"
         "SlopO, IntO:  .25           -5 \n"
         "LogFile, SCLR: run.log      colours.clr\n"
         "ImType:        200 \nImProj:        3 \nImHite:        3 \nImWIDz:        4 \n"
         "Mis:           255 \nIntI:         -10 \nSlopI:         .5 \n",
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
         "Header.Parallel1       AS string*6     >      0.             <\r\n"
         "Header.Parallel2       AS string*6     >      0.             <\r\n"
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
         " Pixel/Row  2 / 2  ( 117 ) out of range (overflow)\r\n",
         make_ida(golden()).substr(0, 38) + "Built from in.ida with new slope and intercept" +
             std::string(34, ' ') + make_ida(golden()).substr(118, 50) +
             std::string("\x00\xFE\xFF\x7F\x00\x00\x00\x00\x00\x83\x00\x00\x00\x00\xA0", 15) +
             make_ida(golden()).substr(183, 329) +
             std::string("\x00\x00\xFE\xFE\xFF\xFE\x00\xB4\x50\xFF\xFE\x02", 12),
         "From    To   Red     Green   Blue    Legend\r\n"
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
         "255    255     0     255       0        Missing\r\n"},
        across_pieces(),

        // The command's fields.
        {"no fields: the usage screen",
         "",
         input(good),
         2,
         "",
         {},
         {},
         Writes::by_status,
         false,
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
         " Press any key ..."},
        {"five fields", law + " run.log", input(good), 2},
        {"seven fields", law + run + " x", input(good), 2},
        {"two spaces make an empty field", "in.ida  out.ida 1 0" + run, input(good), 2},
        {"a tab is no separator", law + " run.log\tc.clr", input(good), 2},
        {"spaces around the whole text do not count",
         "  " + law + run + "  ",
         input(sixteen()),
         0,
         "",
         {},
         sixteen_bytes},
        {"an empty intercept is 0",
         "in.ida out.ida 0.5 " + run,
         input(row(255, 0.5, -10, {30, 40})),
         0,
         "",
         {},
         {10, 20}},

        // Laws on the command line.
        {"slope 0", "in.ida out.ida 0 1" + run, input(good), 2,
         "Slope: \"0\" does not give a finite slope other than 0\n"},
        {"slope -0", "in.ida out.ida -0 1" + run, input(good), 2,
         "Slope: \"-0\" does not give a finite slope other than 0\n"},
        {"slope beyond the doubles", "in.ida out.ida 1E999 1" + run, input(good), 2,
         "Slope: \"1E999\" does not give a finite slope other than 0\n"},
        {"intercept beyond the doubles", "in.ida out.ida 1 -1D400" + run, input(good), 2,
         "Intercept: \"-1D400\" does not give a finite intercept\n"},
        {"denormal slope",
         "in.ida out.ida 4e-320 0" + run,
         input(sixteen()),
         0,
         "",
         unchecked,
         {0, 0, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254}},
        {"largest double slope",
         "in.ida out.ida 1.7e308 0" + run,
         input(sixteen()),
         0,
         "",
         {},
         std::vector<int>(16, 0)},
        {"prefix rule: 2.5abc and 1D-3",
         "in.ida out.ida 2.5abc 1D-3" + run,
         input(row(255, 1, 0, {5, 6})),
         0,
         "",
         {},
         {2, 2}},

        // Re-encoding: bytes and log lines.
        {"same law in and out: bytes above Missing overflow",
         "in.ida out.ida 0.5 -10" + run,
         input(row(200, 0.5, -10, {0, 1, 199, 200, 201, 255})),
         0,
         "",
         {line(4, 0, " 90.5 ", over), line(5, 0, " 117.5 ", over)},
         {0, 1, 199, 200, 199, 199}},
        {"a new value of exactly Missing overflows",
         "in.ida out.ida 1 -1" + run,
         input(row(100, 1, 0, {99, 100, 0})),
         0,
         "",
         {line(0, 0, " 99 ", over)},
         {99, 100, 1}},
        {"missing code 0: upper limit -1, then lifted to 0",
         "in.ida out.ida 1 3" + run,
         input(row(0, 1, 0, {0, 1, 5})),
         0,
         "",
         {line(1, 0, " 1 ", under), line(2, 0, " 5 ", over), line(2, 0, " 5 ", under)},
         {0, 0, 0}},
        {"missing code 1: only byte 0 is valid",
         "in.ida out.ida 1 0" + run,
         input(row(1, 1, 0, {0, 1, 2})),
         0,
         "",
         {line(2, 0, " 2 ", over)},
         {0, 1, 0}},
        {"exact halves go to the even byte",
         "in.ida out.ida 2 0" + run,
         input(row(255, 1, 0, {1, 3, 5, 7, 9})),
         0,
         "",
         {},
         {0, 2, 2, 4, 4}},
        {"-2.5 rounds to -2 and underflows, -0.5 to 0",
         "in.ida out.ida 2 0" + run,
         input(row(255, 1, -6, {1, 5})),
         0,
         "",
         {line(0, 0, "-5 ", under)},
         {0, 0}},
        {"negative slope: small values overflow",
         "in.ida out.ida -1 300" + run,
         input(row(255, 1, 0, {0, 45, 46, 100, 255})),
         0,
         "",
         {line(0, 0, " 0 ", over), line(1, 0, " 45 ", over)},
         {254, 254, 254, 200, 255}},
        {"negative slope: large values underflow",
         "in.ida out.ida -1 100" + run,
         input(row(255, 1, 0, {0, 100, 101, 250})),
         0,
         "",
         {line(2, 0, " 101 ", under), line(3, 0, " 250 ", under)},
         {100, 0, 0, 0}},
        {"fractional slope",
         "in.ida out.ida 0.07 -3" + run,
         input(row(255, 0.5, -10, {13, 14, 15, 20, 21, 33, 49, 50, 100, 255})),
         0,
         "",
         {line(0, 0, "-3.5 ", under), line(7, 0, " 15 ", over), line(8, 0, " 40 ", over)},
         {0, 0, 7, 43, 50, 136, 250, 254, 254, 255}},
        {"logged value to one decimal, halves to even",
         "in.ida out.ida 0.0001 0" + run,
         input(row(255, 0.25, 0, {1, 3, 10})),
         0,
         "",
         {line(0, 0, " .2 ", over), line(1, 0, " .8 ", over), line(2, 0, " 2.5 ", over)},
         {254, 254, 254}},
        {"scientific notation for large values",
         "in.ida out.ida 1 0" + run,
         input(row(255, 1e16, 0, {1, 3})),
         0,
         "",
         {line(0, 0, " 1E+16 ", over), line(1, 0, " 3E+16 ", over)},
         {254, 254}},
        {"the missing code is never logged",
         "in.ida out.ida 0.001 -1000" + run,
         input(row(7, 1, 0, {7, 7, 8})),
         0,
         "",
         {line(2, 0, " 8 ", over)},
         {7, 7, 6}},
        // Bytes a text-mode transfer would change pass as they are.
        {"line-end and end-of-text bytes",
         "in.ida out.ida 1 0" + run,
         input(row(255, 1, 0, {13, 10, 26, 10, 13, 0})),
         0,
         "",
         {},
         {13, 10, 26, 10, 13, 0}},

        // Sizes and laws in the input header.
        {"height 0", "in.ida out.ida 100 0" + run, input(sized(0, 4, 0)), 0, "", {}, {}},
        {"height -1", "in.ida out.ida 100 0" + run, input(sized(-1, 4, 0)), 0, "", {}, {}},
        {"width -1", "in.ida out.ida 100 0" + run, input(sized(4, -1, 0)), 0, "", {}, {}},
        {"two negative sizes pass their pixels unvisited",
         "in.ida out.ida 100 0" + run,
         input(sized(-2, -3, 6)),
         0,
         "",
         {},
         {3, 3, 3, 3, 3, 3}},
        {"huge size beyond the file", law + run, input(sized(32767, 32767, 16)), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 16 bytes, Height x WIDz is "
         "1073676289\n"},
        {"sizes of -32768", law + run, input(sized(-32768, -32768, 16)), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 16 bytes, Height x WIDz is "
         "1073741824\n"},
        {"input slope decodes to zero",
         "in.ida out.ida 1 0" + run,
         law_bytes(171, std::string(6, '\0')),
         0,
         "",
         {},
         std::vector<int>(16, 20)},
        {"largest 6-byte slope",
         "in.ida out.ida 1 0" + run,
         law_bytes(171, std::string("\xFF\xFF\xFF\xFF\xFF\x7F", 6)),
         0,
         "",
         unchecked,
         {20, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254, 254}},
        {"largest negative 6-byte slope",
         "in.ida out.ida 1 0" + run,
         law_bytes(171, std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6)),
         0,
         "",
         unchecked,
         {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"largest 6-byte intercept", "in.ida out.ida 1 0" + run,
         law_bytes(177, std::string("\xFF\xFF\xFF\xFF\xFF\x7F", 6)), 0, "", unchecked,
         std::vector<int>(16, 254)},

        // What the input file holds.
        {"input missing", law + run, nullptr, 1, "Cannot read In_file \"in.ida\": " + file_missing},
        {"empty input", law + run, input(std::string()), 1,
         "Cannot read In_file \"in.ida\": header holds 0 bytes, an IDA header has 512\n"},
        {"header of 100 bytes", law + run, input(good.substr(0, 100)), 1,
         "Cannot read In_file \"in.ida\": header holds 100 bytes, an IDA header has 512\n"},
        {"header only", law + run, input(good.substr(0, 512)), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 0 bytes, Height x WIDz is 16\n"},
        {"pixels one byte short", law + run, input(good.substr(0, good.size() - 1)), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 15 bytes, Height x WIDz is 16\n"},
        {"input is a folder", law + run, folder("in.ida"), 1,
         "Cannot read In_file \"in.ida\": Is a directory\n"},
        // A log text holding CR LF keeps it as one line end; a lone line feed
        // becomes CR LF.
        {"names holding line ends",
         "a\r\nb\nc out.ida 1 0" + run,
         nullptr,
         1,
         "Cannot read In_file \"a\r\nb\nc\": " + file_missing,
         {},
         {},
         Writes::log,
         true,
         "",
         "Logging : a\r\nb\r\nc out.ida 1 0 run.log COLOURS.CLR\r\n\r\n"
         "Cannot read In_file \"a\r\nb\r\nc\": No such file or directory\r\n"},

        // Where the results go.
        {"output folder missing", "in.ida no/out.ida 1 0" + run, input(good), 1,
         "Cannot write Out_file \"no/out.ida\": " + file_missing},
        {"log folder missing",
         law + " no/run.log COLOURS.CLR",
         input(good),
         1,
         "Cannot create LogFile.txt \"no/run.log\": " + file_missing,
         {},
         {},
         Writes::nothing},
        {"colour folder missing",
         law + " run.log no/c.clr",
         input(good),
         1,
         "Cannot write Colour_File.CLR \"no/C.CLR\": " + file_missing,
         {},
         {},
         Writes::image_and_log},
        {"output a folder: the folder stays",
         law + run,
         with(input(good), folder("out.ida")),
         1,
         "Cannot write Out_file \"out.ida\": Is a directory\n",
         {},
         {},
         Writes::by_status,
         true},
        {"output naming the log's folder",
         "in.ida logs 0.5 -10 logs/run.log COLOURS.CLR",
         with(input(good), folder("logs")),
         1,
         "Cannot write Out_file \"logs\": Is a directory\n",
         {},
         {},
         Writes::by_status,
         true},
        {"output naming the input",
         "in.ida in.ida 0.5 -10" + run,
         input(sixteen()),
         0,
         "",
         {},
         sixteen_bytes},
        {"colour file in a folder keeps the folder's case",
         law + " run.log Sub/ndvi.clr",
         with(input(good), folder("Sub")),
         0,
         "",
         {},
         sixteen_bytes},
        {"output and log the same file", "in.ida run.log 1 0" + run, input(good), 2,
         "Out_file: \"run.log\" is also LogFile.txt; one would destroy the other\n"},
        {"output and log, one name spelt two ways", "in.ida logs/../run.log 1 0" + run,
         with(input(good), folder("logs")), 2,
         "Out_file: \"logs/../run.log\" is also LogFile.txt; one would destroy the other\n"},
        {"colour file naming the log", law + " RUN.LOG run.log", input(good), 2,
         "Colour_File.CLR: \"RUN.LOG\" is also LogFile.txt; one would destroy the other\n"},
        {"colour file naming the input", "IN.IDA out.ida 1 0 run.log IN.IDA",
         [good] { write_file("IN.IDA", good); }, 2,
         "Colour_File.CLR: \"IN.IDA\" is also In_file; one would destroy the other\n"},
        {"colour file naming the output", "in.ida COLOURS.CLR 1 0" + run, input(good), 2,
         "Colour_File.CLR: \"COLOURS.CLR\" is also Out_file; one would destroy the other\n"},
        {"log naming the input", "in.ida out.ida 1 0 ./in.ida COLOURS.CLR", input(good), 2,
         "LogFile.txt: \"./in.ida\" is the input file; emptying it for the log would destroy "
         "it\n"},
#if !defined(_WIN32)
        // A device is written, not replaced; its refusal fails the run.  The
        // link keeps a replacement by renaming away from the real device.
        {"output a device that refuses writes",
         "in.ida full 1 0" + run,
         with(input(good), [] { ASSERT_EQ(symlink("/dev/full", "full"), 0); }),
         1,
         "Cannot write Out_file \"full\": No space left on device\n",
         {},
         {},
         Writes::log,
         true},
        {"log a device that refuses writes",
         "in.ida out.ida 1 0 full COLOURS.CLR",
         with(input(good), [] { ASSERT_EQ(symlink("/dev/full", "full"), 0); }),
         1,
         "Cannot write LogFile.txt \"full\": No space left on device\n",
         {},
         {},
         Writes::nothing,
         true},
#endif
    };
    return table;
}

std::string trimmed(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? ""
                                      : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::string stamp_of(std::time_t time)
{
    char text[32];
    std::strftime(text, sizeof text, "%m-%d-%Y    %H:%M:%S", std::localtime(&time));
    return text;
}

// Names the case in test lists and failure messages instead of its bytes.
void PrintTo(const Case &c, std::ostream *os)
{
    *os << c.what;
}

class Cases : public ScratchFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(Cases, RunThroughTheProgram)
{
    const Case &c = GetParam();
#if defined(_WIN32)
    if (c.posix_only)
        GTEST_SKIP() << "POSIX names or devices, or a reason Windows words otherwise";
#endif
    // Earlier results, longer than any new one: a run replaces them whole.
    write_file("out.ida", std::string(3000, 'o'));
    write_file("run.log", std::string(10000, 'x'));
    write_file("COLOURS.CLR", "an earlier colour file\r\n");
    if (c.prepare)
        c.prepare();
    std::map<std::string, std::string> before = snapshot();
    const std::time_t start = std::time(nullptr);
    const ProgramRun run = run_program(c.command);
    const std::time_t end = std::time(nullptr);
    std::map<std::string, std::string> after = snapshot();

    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.err, c.err);
    if (!c.out.empty()) {
        EXPECT_EQ(run.out, c.out);
    }

    const std::vector<std::string> fields = split_at_spaces(trimmed(c.command));
    Writes writes = c.writes;
    if (writes == Writes::by_status)
        writes = c.status == 0 ? Writes::all : c.status == 1 ? Writes::log : Writes::nothing;
    std::set<std::string> written;
    if (writes != Writes::nothing)
        written.insert(fields[4]);
    if (writes == Writes::image_and_log || writes == Writes::all)
        written.insert(fields[1]);
    if (writes == Writes::all)
        written.insert(colour_file_name(fields[5]));
    std::map<std::string, std::string> kept_before = before, kept_after = after;
    for (const std::string &name : written) {
        EXPECT_EQ(after.count(name), 1u) << name << " was not written";
        kept_before.erase(name);
        kept_after.erase(name);
    }
    EXPECT_TRUE(kept_after == kept_before) << "a file the run may not write was left or changed";

    if (written.count(fields[4])) {
        const std::string &log = after[fields[4]];
        const std::vector<std::string> lines = crlf_lines(log);
        ASSERT_GE(lines.size(), 3u);
        bool stamp_found = false;
        for (std::time_t t = start; t <= end; ++t)
            stamp_found = stamp_found || lines[0] == stamp_of(t);
        EXPECT_TRUE(stamp_found) << lines[0];
        if (!c.log.empty()) {
            EXPECT_EQ(log.substr(log.find("\r\n") + 2), c.log);
        } else {
            EXPECT_EQ(lines[1], "Logging : " + trimmed(c.command));
            EXPECT_EQ(lines[2], "");
            // A failure ends the log, when the log is still open.
            if (writes == Writes::log) {
                EXPECT_EQ(lines.back(), c.err.substr(0, c.err.size() - 1));
            } else if (c.pixel_lines != unchecked) {
                const std::vector<std::string> tail(
                    lines.begin() + std::min<std::size_t>(24, lines.size()), lines.end());
                EXPECT_EQ(tail, c.pixel_lines);
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
        const auto *bytes = reinterpret_cast<const unsigned char *>(image.data());
        EXPECT_TRUE(std::vector<int>(bytes + 512, bytes + image.size()) == c.pixels);
        if (!c.image.empty()) {
            EXPECT_TRUE(image == c.image);
        }
        if (!c.colour.empty()) {
            EXPECT_EQ(after[colour_file_name(fields[5])], c.colour);
        }
    }
}

std::string case_name(const ::testing::TestParamInfo<Case> &info)
{
    std::string name;
    for (const char ch : std::string(info.param.what))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Brennix, Cases, ::testing::ValuesIn(cases()), case_name);

#if !defined(_WIN32)
class Signals : public ScratchFolder {};

// A signal that ends a run while the image is being written leaves neither
// the temporary file nor a changed output behind.  The input is a pipe held
// open after part of the pixels, so the run waits with its temporary file
// made.
TEST_F(Signals, EndingSignalRemovesTheTemporaryFile)
{
    const std::string header = make_ida(sized(100, 100, 0));
    auto temporary_made = [] {
        for (const std::string &name : folder_entries("."))
            if (name.rfind(".brennix-", 0) == 0)
                return true;
        return false;
    };
    for (const int signal_number : {SIGINT, SIGTERM}) {
        write_file("out.ida", "earlier");
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
#endif

} // namespace
} // namespace brennix
