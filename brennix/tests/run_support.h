// Helpers of Brennix's tests: a scratch folder that is the working
// directory during a test, IDA images built from a few fields, files.
#ifndef BRENNIX_TESTS_RUN_SUPPORT_H
#define BRENNIX_TESTS_RUN_SUPPORT_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brennix {
namespace test_support {

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
std::vector<std::string> folder_entries(const std::string &folder);
// Splits at CR LF; a final piece without its line end is kept as well.
std::vector<std::string> crlf_lines(const std::string &text);

// A test whose working directory is a fresh folder of its own, made under
// a name no other test or run can hold at the same time.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string folder_;

private:
    std::string previous_;
};

} // namespace test_support
} // namespace brennix

#endif
