// Hostile inputs and impossible output places, each run through the real
// program: the exit status, the exact text on standard error, which files
// the run may write, and that every other file in the folder (an earlier
// output, log or colour file included) is left byte for byte as it was.
#include "run_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace brennix {
namespace testing {
namespace {

constexpr uid_t unprivileged_id = 65534;  // "nobody"
constexpr std::size_t header_bytes = 512;
constexpr std::size_t title_at = 38;

struct Fields {
    std::string in = "in.ida";
    std::string out = "out.ida";
    std::string slope = "0.5";
    std::string intercept = "-10";
    std::string log = "run.log";
    std::string colour = "COLOURS.CLR";  // upper case: the name the program writes
};

// Which files a run may write: none (refused before touching anything), the
// log alone (with the failure in it), or the image, log and colour file.
enum class Writes { nothing, log_only, image_and_log, everything };

struct Case {
    const char *name;
    std::function<void(Fields &)> prepare;  // writes the case's files
    int status;
    std::string error;  // the whole of standard error
    Writes writes;
    // Checks on the output image (header and pixels) of a run that wrote it.
    std::function<void(const std::string &image)> check_image = nullptr;
    bool needs_permission_checks = false;
};

struct Outcome {
    int status = -1;
    std::string error;
};

std::string read_stream(FILE *stream)
{
    std::string text;
    std::rewind(stream);
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0)
        text.append(buffer, got);
    std::fclose(stream);
    return text;
}

// Runs the program in the current folder with stdin empty.  As root the
// run drops to an unprivileged user when asked, so that permission bits
// apply to it as they would to any user.
Outcome run_program(const Fields &f, bool unprivileged)
{
    FILE *out = std::tmpfile();
    FILE *err = std::tmpfile();
    const pid_t child = fork();
    if (child == 0) {
        FILE *nothing = std::fopen("/dev/null", "r");
        if (!nothing || dup2(fileno(nothing), 0) < 0 || dup2(fileno(out), 1) < 0 ||
            dup2(fileno(err), 2) < 0)
            _exit(120);
        if (unprivileged && (setgid(unprivileged_id) != 0 || setuid(unprivileged_id) != 0))
            _exit(121);
        execl(BRENNIX_PROGRAM, BRENNIX_PROGRAM, f.in.c_str(), f.out.c_str(), f.slope.c_str(),
              f.intercept.c_str(), f.log.c_str(), f.colour.c_str(), static_cast<char *>(nullptr));
        _exit(122);
    }
    Outcome run;
    int wait_status = 0;
    if (child > 0 && waitpid(child, &wait_status, 0) == child && WIFEXITED(wait_status))
        run.status = WEXITSTATUS(wait_status);
    std::fclose(out);
    run.error = read_stream(err);
    return run;
}

// Whether a run dropped to the unprivileged user can start the program at
// all: not when the build lies below a folder closed to other users.
bool unprivileged_can_run()
{
    static const bool can = [] {
        const pid_t child = fork();
        if (child == 0)
            _exit(setgid(unprivileged_id) == 0 && setuid(unprivileged_id) == 0 &&
                          access(BRENNIX_PROGRAM, X_OK) == 0
                      ? 0
                      : 1);
        int wait_status = 0;
        return child > 0 && waitpid(child, &wait_status, 0) == child &&
               WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0;
    }();
    return can;
}

// Every entry below the folder: file contents, or a marker for a folder.
using Snapshot = std::map<std::string, std::string>;

void take_snapshot(const std::string &path, const std::string &name, Snapshot &into)
{
    struct stat info;
    if (lstat(path.c_str(), &info) != 0)
        return;
    if (S_ISLNK(info.st_mode)) {  // not followed: it may lead to a device
        into[name] = "<link>";
        return;
    }
    if (!S_ISDIR(info.st_mode)) {
        into[name] = read_file(path);
        return;
    }
    if (!name.empty())
        into[name] = "<folder>";
    for (const std::string &entry : folder_entries(path))
        take_snapshot(path + "/" + entry, name.empty() ? entry : name + "/" + entry, into);
}

Snapshot snapshot(const std::string &folder)
{
    Snapshot s;
    take_snapshot(folder, "", s);
    return s;
}

void hand_over(const std::string &path)
{
    ASSERT_EQ(lchown(path.c_str(), unprivileged_id, unprivileged_id), 0) << path;
    struct stat info;
    if (lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        for (const std::string &entry : folder_entries(path))
            hand_over(path + "/" + entry);
}

std::set<std::string> written_by(const Fields &f, Writes writes)
{
    switch (writes) {
    case Writes::nothing: return {};
    case Writes::log_only: return {f.log};
    case Writes::image_and_log: return {f.out, f.log};
    case Writes::everything: return {f.out, f.log, f.colour};
    }
    return {};
}

TestImage sixteen_pixels()
{
    TestImage image;
    image.height = 4;
    image.width = 4;
    for (int i = 0; i < 16; ++i)
        image.pixels.push_back(static_cast<unsigned char>(i * 16));  // never 255
    return image;
}

// The default image with some of its fields changed.
std::function<void(Fields &)> image_with(std::function<void(TestImage &)> change,
                                         const std::string &slope = "0.5",
                                         const std::string &intercept = "-10")
{
    return [=](Fields &f) {
        TestImage image = sixteen_pixels();
        change(image);
        write_file(f.in, make_ida(image));
        f.slope = slope;
        f.intercept = intercept;
    };
}

void keep(TestImage &) {}

// The default image with six header bytes of its coding law replaced.
std::function<void(Fields &)> law_bytes(std::size_t at, const std::string &bytes,
                                        const std::string &slope, const std::string &intercept)
{
    return [=](Fields &f) {
        TestImage image = sixteen_pixels();
        image.intercept = 20.0;
        std::string file = make_ida(image);
        file.replace(at, 6, bytes);
        write_file(f.in, file);
        f.slope = slope;
        f.intercept = intercept;
    };
}

// The field names a link to a device that refuses every write; through the
// link, a replacement done by renaming cannot harm the real device.
std::function<void(Fields &)> refusing_device(std::string Fields::*field)
{
    return [=](Fields &f) {
        write_file(f.in, make_ida(sixteen_pixels()));
        ASSERT_EQ(symlink("/dev/full", "full"), 0);
        f.*field = "full";
    };
}

// Pixels as stored in the output image, or empty when it is too short.
std::vector<int> output_pixels(const std::string &image)
{
    std::vector<int> pixels;
    for (std::size_t i = header_bytes; i < image.size(); ++i)
        pixels.push_back(static_cast<unsigned char>(image[i]));
    return pixels;
}

std::function<void(const std::string &)> pixels_are(std::vector<int> expected)
{
    return [=](const std::string &image) { EXPECT_EQ(output_pixels(image), expected); };
}

std::function<void(const std::string &)> header_only()
{
    return [](const std::string &image) {
        EXPECT_EQ(image.size(), header_bytes);
        EXPECT_EQ(image.compare(title_at, 11, "Built from "), 0);
    };
}

const std::string largest_real("\xFF\xFF\xFF\xFF\xFF\x7F", 6);
const std::string largest_negative_real("\xFF\xFF\xFF\xFF\xFF\xFF", 6);
const std::string smallest_real("\x01\x00\x00\x00\x00\x00", 6);
const std::string zero_exponent_real("\x00\xFF\xFF\xFF\xFF\x7F", 6);
const std::string zero_real(6, '\0');
constexpr std::size_t slope_at = 171;
constexpr std::size_t intercept_at = 177;

const std::vector<int> all_20(16, 20);
// 0.5 x byte - 10 for bytes 0, 16, .. 240 divided by a denormal slope: the
// first two are negative (underflow to 0), the rest overflow to 254.
const std::vector<int> below_zero_then_clamped = {0, 0, 254, 254, 254, 254, 254, 254,
                                                  254, 254, 254, 254, 254, 254, 254, 254};
const std::vector<int> zero_then_254 = {20, 254, 254, 254, 254, 254, 254, 254,
                                        254, 254, 254, 254, 254, 254, 254, 254};
const std::vector<int> zero_then_0 = {20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

const std::vector<Case> &cases()
{
    static const std::vector<Case> table = {
        // What the input file holds.
        {"empty file", [](Fields &f) { write_file(f.in, ""); }, 1,
         "Cannot read In_file \"in.ida\": header holds 0 bytes, an IDA header has 512\n",
         Writes::log_only},
        {"header only", image_with([](TestImage &i) { i.pixels.clear(); }), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 0 bytes, Height x WIDz is 16\n",
         Writes::log_only},
        {"pixels one byte short", image_with([](TestImage &i) { i.pixels.pop_back(); }), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 15 bytes, Height x WIDz is 16\n",
         Writes::log_only},
        {"negative width", image_with([](TestImage &i) { i.width = -4; }), 0, "",
         Writes::everything, header_only()},
        {"negative height", image_with([](TestImage &i) { i.height = -4; }), 0, "",
         Writes::everything, header_only()},
        {"huge size beyond the file", image_with([](TestImage &i) { i.height = i.width = 32767; }),
         1,
         "Cannot read In_file \"in.ida\": pixel data holds 16 bytes, Height x WIDz is "
         "1073676289\n",
         Writes::log_only},
        // 0x8000 by 0x8000: 2^32 if the fields were taken as unsigned, 2^30 as
        // the signed fields they are; either way far beyond the file.
        {"sizes of -32768", image_with([](TestImage &i) { i.height = i.width = -32768; }), 1,
         "Cannot read In_file \"in.ida\": pixel data holds 16 bytes, Height x WIDz is "
         "1073741824\n",
         Writes::log_only},
        {"input is a folder", [](Fields &f) { mkdir(f.in.c_str(), 0755); }, 1,
         "Cannot read In_file \"in.ida\": Is a directory\n", Writes::log_only},
        {"input missing", [](Fields &) {}, 1,
         "Cannot read In_file \"in.ida\": No such file or directory\n", Writes::log_only},
        {"input without read permission",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             chmod(f.in.c_str(), 0);
         },
         1, "Cannot read In_file \"in.ida\": Permission denied\n", Writes::log_only, nullptr,
         true},

        // Coding laws in the header: each gives a defined image.
        {"input slope decodes to zero", law_bytes(slope_at, zero_real, "1", "0"), 0, "",
         Writes::everything, pixels_are(all_20)},
        {"exponent byte 0 with a mantissa", law_bytes(slope_at, zero_exponent_real, "1", "0"), 0,
         "", Writes::everything, pixels_are(all_20)},
        {"smallest 6-byte slope", law_bytes(slope_at, smallest_real, "1", "0"), 0, "",
         Writes::everything, pixels_are(all_20)},
        {"largest 6-byte slope", law_bytes(slope_at, largest_real, "1", "0"), 0, "",
         Writes::everything, pixels_are(zero_then_254)},
        {"largest negative 6-byte slope", law_bytes(slope_at, largest_negative_real, "1", "0"), 0,
         "", Writes::everything, pixels_are(zero_then_0)},
        {"largest 6-byte intercept", law_bytes(intercept_at, largest_real, "1", "0"), 0, "",
         Writes::everything, pixels_are(std::vector<int>(16, 254))},

        // Laws on the command line.
        {"slope 0", image_with(keep, "0", "0"), 2,
         "Slope: \"0\" does not give a finite slope other than 0\n", Writes::nothing},
        {"slope without a number", image_with(keep, "abc", "0"), 2,
         "Slope: \"abc\" does not give a finite slope other than 0\n", Writes::nothing},
        {"slope beyond the doubles", image_with(keep, "1e999", "0"), 2,
         "Slope: \"1e999\" does not give a finite slope other than 0\n", Writes::nothing},
        {"intercept beyond the doubles", image_with(keep, "1", "-1e999"), 2,
         "Intercept: \"-1e999\" does not give a finite intercept\n", Writes::nothing},
        {"denormal slope", image_with(keep, "4e-320", "0"), 0, "", Writes::everything,
         pixels_are(below_zero_then_clamped)},
        {"largest double slope", image_with(keep, "1.7e308", "0"), 0, "", Writes::everything,
         pixels_are(std::vector<int>(16, 0))},

        // Where the results go.
        {"output folder missing",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.out = "missing/out.ida";
         },
         1, "Cannot write Out_file \"missing/out.ida\": No such file or directory\n",
         Writes::log_only},
        {"output folder read-only",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             mkdir("locked", 0755);
             write_file("locked/out.ida", "an earlier output");
             chmod("locked", 0555);
             f.out = "locked/out.ida";
         },
         1, "Cannot write Out_file \"locked/out.ida\": Permission denied\n", Writes::log_only,
         nullptr, true},
        {"output naming the input",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.out = f.in;
         },
         0, "", Writes::everything,
         [](const std::string &image) {
             EXPECT_EQ(image.size(), header_bytes + 16);
             EXPECT_EQ(image.compare(title_at, 17, "Built from in.ida"), 0);
         }},
        {"output naming the log's folder",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             mkdir("logs", 0755);
             f.log = "logs/run.log";
             f.out = "logs";
         },
         1, "Cannot write Out_file \"logs\": Is a directory\n", Writes::log_only},
        {"output and log the same file",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.out = f.log;
         },
         2, "Out_file: \"run.log\" is also LogFile.txt; one would destroy the other\n",
         Writes::nothing},
        {"output and log, one name spelt two ways",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             mkdir("logs", 0755);
             f.out = "logs/../run.log";
         },
         2, "Out_file: \"logs/../run.log\" is also LogFile.txt; one would destroy the other\n",
         Writes::nothing},
        {"colour file naming the log",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.log = "RUN.LOG";
             f.colour = "run.log";
         },
         2, "Colour_File.CLR: \"RUN.LOG\" is also LogFile.txt; one would destroy the other\n",
         Writes::nothing},
        // A device is written, not replaced; its refusal fails the run.
        {"output a device that refuses writes", refusing_device(&Fields::out), 1,
         "Cannot write Out_file \"full\": No space left on device\n", Writes::log_only},
        {"log a device that refuses writes", refusing_device(&Fields::log), 1,
         "Cannot write LogFile.txt \"full\": No space left on device\n", Writes::nothing},
        {"log folder missing",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.log = "missing/run.log";
         },
         1, "Cannot create LogFile.txt \"missing/run.log\": No such file or directory\n",
         Writes::nothing},
        {"colour folder missing",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.colour = "missing/COLOURS.CLR";
         },
         1, "Cannot write Colour_File.CLR \"missing/COLOURS.CLR\": No such file or directory\n",
         Writes::image_and_log},
        {"colour file naming the input",
         [](Fields &f) {
             f.in = "IN.IDA";
             write_file(f.in, make_ida(sixteen_pixels()));
             f.colour = f.in;
         },
         2, "Colour_File.CLR: \"IN.IDA\" is also In_file; one would destroy the other\n",
         Writes::nothing},
        {"colour file naming the output",
         [](Fields &f) {
             write_file(f.in, make_ida(sixteen_pixels()));
             f.out = f.colour;
         },
         2,
         "Colour_File.CLR: \"COLOURS.CLR\" is also Out_file; one would destroy the other\n",
         Writes::nothing},
    };
    return table;
}

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const Case &c, std::ostream *os) { *os << c.name; }

class BadInput : public ScratchFolder, public ::testing::WithParamInterface<Case> {};

TEST_P(BadInput, FailsCleanlyAndDamagesNothing)
{
    const Case &c = GetParam();
    const bool as_root = geteuid() == 0;
    if (c.needs_permission_checks && as_root && !unprivileged_can_run())
        GTEST_SKIP() << "permission bits do not bind root, and no other user can run "
                     << BRENNIX_PROGRAM;

    // Earlier results under the default names: a run may replace only the
    // files it is allowed to write.
    write_file("out.ida", "an earlier output image");
    write_file("run.log", "an earlier log\r\n");
    write_file("COLOURS.CLR", "an earlier colour file\r\n");
    Fields fields;
    c.prepare(fields);
    if (c.needs_permission_checks && as_root)
        hand_over(folder_);
    const Snapshot before = snapshot(folder_);

    const Outcome run = run_program(fields, c.needs_permission_checks && as_root);
    const Snapshot after = snapshot(folder_);
    chmod("locked", 0755);  // so that the folder can be removed

    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.error, c.error);

    const std::set<std::string> written = written_by(fields, c.writes);
    for (const std::string &name : written)
        EXPECT_EQ(after.count(name), 1u) << name << " was not written";
    std::set<std::string> names;
    for (const auto &entry : before)
        names.insert(entry.first);
    for (const auto &entry : after)
        names.insert(entry.first);
    for (const std::string &name : names) {
        if (written.count(name))
            continue;
        const auto was = before.find(name);
        const auto is = after.find(name);
        EXPECT_TRUE(was != before.end()) << name << " was left behind";
        EXPECT_TRUE(is != after.end()) << name << " was removed";
        if (was != before.end() && is != after.end()) {
            EXPECT_EQ(is->second, was->second) << name << " was changed";
        }
    }

    if (c.writes == Writes::log_only) {
        const std::string log = after.count(fields.log) ? after.at(fields.log) : "";
        const std::string message = c.error.substr(0, c.error.size() - 1) + "\r\n";
        EXPECT_NE(log.find(message), std::string::npos) << "the log lacks the failure";
    }
    if (c.check_image && after.count(fields.out))
        c.check_image(after.at(fields.out));
}

std::string case_name(const ::testing::TestParamInfo<Case> &info)
{
    std::string name;
    for (const char ch : std::string(info.param.name))
        name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Matrix, BadInput, ::testing::ValuesIn(cases()), case_name);

} // namespace
} // namespace testing
} // namespace brennix
