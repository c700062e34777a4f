// Helpers for tests that run Brennix end to end: a scratch folder that is
// the working directory during the test, IDA images built from a few
// fields, a console that records what it is asked to do, and file reading.
#ifndef BRENNIX_TESTS_RUN_SUPPORT_H
#define BRENNIX_TESTS_RUN_SUPPORT_H

#include "console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brennix {
namespace testing {

struct TestImage {
    int height = 1;
    int width = 1;
    unsigned char missing = 255;
    double slope = 0.5;
    double intercept = -10.0;
    std::vector<unsigned char> pixels;
};

// A type-200 plate carree header (centre 45 N 10 E at column 100, line 50,
// 10 pixels per unit) with the image's size, law and missing code, then the
// pixels as given.
std::string make_ida(const TestImage &image);

std::string read_file(const std::string &name);
void write_file(const std::string &name, const std::string &bytes);
bool file_exists(const std::string &name);
// An empty folder, created; false when it cannot be.
bool make_folder(const std::string &name);
// Removes a file or an empty folder, when there is one.
void remove_path(const std::string &name);
std::vector<std::string> folder_entries(const std::string &folder);

// Splits at CR LF; a final piece without its line end is kept as well.
std::vector<std::string> crlf_lines(const std::string &text);

// Records every console call in order; clearing, title and colours appear
// in the text as markers, errors are kept apart.
class RecordingConsole : public Console {
public:
    void set_title(const std::string &title) override { out += "<title:" + title + ">"; }
    void clear() override { out += "<clear>"; }
    void set_colour(ConsoleColour colour) override
    {
        out += colour == ConsoleColour::yellow_on_black ? "<yellow>" : "<white>";
    }
    void write(const std::string &text) override { out += text; }
    void report_error(const std::string &line) override { errors.push_back(line); }
    void wait_for_key() override { out += "<key>"; }
    LocalTime now() override { return {2026, 12, 6, 9, 5, 7}; }

    std::string out;
    std::vector<std::string> errors;
};

// A test whose working directory is a fresh scratch folder.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;

private:
    std::string previous_;
};

// Everything one in-process run leaves behind.
struct RunResult {
    int status = -1;
    RecordingConsole console;
    std::string image;         // the output file, empty when absent
    std::string log;           // the log file, empty when absent
    std::string colour;        // the colour file, empty when absent
    std::vector<std::string> pixel_lines;  // log lines after the report
};

// Writes in.ida, runs "in.ida out.ida SLOPE INTERCEPT run.log colours.clr"
// and collects the results (the colour file under its upper-cased name).
RunResult run_on_image(const TestImage &image, const std::string &slope,
                       const std::string &intercept);

// The lines before the pixel lines of every complete log: stamp, command,
// empty line, 20 report lines, empty line.
constexpr std::size_t log_lines_before_pixels = 24;

} // namespace testing
} // namespace brennix

#endif
