// Pixel re-encoding end to end: output bytes and out-of-range log lines for
// laws, missing codes and rounding cases, and the derived output header.
#include "rescale.h"

#include "quorvex/quorvex.h"
#include "run_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brennix {
namespace {

using testing::RunResult;
using testing::TestImage;

struct RescaleCase {
    const char *what;
    TestImage image;
    const char *slope;
    const char *intercept;
    std::vector<unsigned char> expected_pixels;
    std::vector<std::string> expected_lines;
};

TestImage row_image(unsigned char missing, double slope, double intercept,
                    std::vector<unsigned char> pixels)
{
    TestImage image;
    image.height = 1;
    image.width = static_cast<int>(pixels.size());
    image.missing = missing;
    image.slope = slope;
    image.intercept = intercept;
    image.pixels = std::move(pixels);
    return image;
}

const char overflow[] = ") out of range (overflow)";
const char underflow[] = ") out of range (underflow)";

std::string line(int column, int row, const std::string &value, const char *side)
{
    return " Pixel/Row  " + std::to_string(column) + " / " + std::to_string(row) + "  (" +
           value + side;
}

class Rescale : public testing::ScratchFolder {};

TEST_F(Rescale, OutputBytesAndLogLines)
{
    const RescaleCase cases[] = {
        {"same law in and out: bytes above Missing overflow",
         row_image(200, 0.5, -10, {0, 1, 199, 200, 201, 255}), "0.5", "-10",
         {0, 1, 199, 200, 199, 199},
         {line(4, 0, " 90.5 ", overflow), line(5, 0, " 117.5 ", overflow)}},
        {"a new value of exactly Missing overflows",
         row_image(100, 1, 0, {99, 100, 0}), "1", "-1", {99, 100, 1},
         {line(0, 0, " 99 ", overflow)}},
        {"missing code 0: upper limit -1, then lifted to 0",
         row_image(0, 1, 0, {0, 1, 5}), "1", "3", {0, 0, 0},
         {line(1, 0, " 1 ", underflow), line(2, 0, " 5 ", overflow),
          line(2, 0, " 5 ", underflow)}},
        {"missing code 1: only byte 0 is valid",
         row_image(1, 1, 0, {0, 1, 2}), "1", "0", {0, 1, 0},
         {line(2, 0, " 2 ", overflow)}},
        {"exact halves go to the even byte",
         row_image(255, 1, 0, {1, 3, 5, 7, 9}), "2", "0", {0, 2, 2, 4, 4}, {}},
        {"-2.5 rounds to -2 and underflows, -0.5 to 0 and does not",
         row_image(255, 1, -6, {1, 5}), "2", "0", {0, 0},
         {line(0, 0, "-5 ", underflow)}},
        {"negative slope: small values overflow",
         row_image(255, 1, 0, {0, 45, 46, 100, 255}), "-1", "300", {254, 254, 254, 200, 255},
         {line(0, 0, " 0 ", overflow), line(1, 0, " 45 ", overflow)}},
        {"negative slope: large values underflow",
         row_image(255, 1, 0, {0, 100, 101, 250}), "-1", "100", {100, 0, 0, 0},
         {line(2, 0, " 101 ", underflow), line(3, 0, " 250 ", underflow)}},
        {"fractional slope",
         row_image(255, 0.5, -10, {13, 14, 15, 20, 21, 33, 49, 50, 100, 255}), "0.07", "-3",
         {0, 0, 7, 43, 50, 136, 250, 254, 254, 255},
         {line(0, 0, "-3.5 ", underflow), line(7, 0, " 15 ", overflow),
          line(8, 0, " 40 ", overflow)}},
        {"logged value rounded to one decimal, halves to even",
         row_image(255, 0.25, 0, {1, 3, 10}), "0.0001", "0", {254, 254, 254},
         {line(0, 0, " .2 ", overflow), line(1, 0, " .8 ", overflow),
          line(2, 0, " 2.5 ", overflow)}},
        {"scientific notation for large physical values",
         row_image(255, 1e16, 0, {1, 3}), "1", "0", {254, 254},
         {line(0, 0, " 1E+16 ", overflow), line(1, 0, " 3E+16 ", overflow)}},
        {"the missing code is never logged, whatever the laws",
         row_image(7, 1, 0, {7, 7}), "0.001", "-1000", {7, 7}, {}},
        {"prefix rule: 2.5abc and 1D-3",
         row_image(255, 1, 0, {5, 6}), "2.5abc", "1D-3", {2, 2}, {}},
        {"prefix rule: &H10 is 16",
         row_image(255, 1, 0, {32, 40}), "&H10", "0", {2, 2}, {}},
    };
    for (const RescaleCase &c : cases) {
        SCOPED_TRACE(c.what);
        const RunResult run = testing::run_on_image(c.image, c.slope, c.intercept);
        ASSERT_EQ(run.status, 0);
        ASSERT_EQ(run.image.size(), 512 + c.expected_pixels.size());
        EXPECT_EQ(std::vector<unsigned char>(run.image.begin() + 512, run.image.end()),
                  c.expected_pixels);
        EXPECT_EQ(run.pixel_lines, c.expected_lines);
    }
}

TEST_F(Rescale, HeightOrWidthBelowOneVisitsNothing)
{
    struct {
        int height;
        int width;
        std::size_t stored_pixels;
    } cases[] = {{0, 4, 0}, {-1, 4, 0}, {4, -1, 0}, {-2, -3, 6}};
    for (const auto &c : cases) {
        TestImage image;
        image.height = c.height;
        image.width = c.width;
        image.pixels.assign(c.stored_pixels, 3);
        const RunResult run = testing::run_on_image(image, "100", "0");
        EXPECT_EQ(run.status, 0);
        // A negative product reads nothing; a positive one from two negative
        // sizes is read and written back unvisited.
        EXPECT_EQ(run.image.substr(512), std::string(c.stored_pixels, '\3'))
            << c.height << " x " << c.width;
        EXPECT_TRUE(run.pixel_lines.empty());
    }
}

HeaderBytes header_of(const std::string &file)
{
    HeaderBytes header{};
    std::copy(file.begin(), file.begin() + 512, header.begin());
    return header;
}

std::string title_of(const HeaderBytes &header)
{
    return std::string(reinterpret_cast<const char *>(&header[field::Title]), 80);
}

TEST(OutputHeader, TitleIsCutAtEightyCharacters)
{
    testing::TestImage image;
    const HeaderBytes input = header_of(testing::make_ida(image));
    const Law law{0.5, -10};
    const std::string fixed = " with new slope and intercept";
    struct {
        std::string name;
        std::string title;
    } cases[] = {
        {"in.ida", "Built from in.ida" + fixed + std::string(80 - 46, ' ')},
        {std::string(60, 'n'), "Built from " + std::string(60, 'n') + " with new"},
        {std::string(69, 'n'), "Built from " + std::string(69, 'n')},
        {std::string(90, 'n'), "Built from " + std::string(69, 'n')},
        {"", "Built from " + fixed + std::string(80 - 40, ' ')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(title_of(derive_output_header(input, c.name, law)), c.title) << c.name;
}

TEST(OutputHeader, NewLawAndRangeOnlyOtherBytesKept)
{
    testing::TestImage image;
    for (int missing : {0, 1, 200, 255}) {
        image.missing = static_cast<unsigned char>(missing);
        HeaderBytes input = header_of(testing::make_ida(image));
        for (std::size_t i = 184; i < 512; ++i)
            input[i] = static_cast<unsigned char>(i * 7);
        const HeaderBytes output = derive_output_header(input, "x", Law{0.25, -5});
        for (std::size_t i = 0; i < 512; ++i) {
            const bool title = i >= field::Title && i < field::Title + 80;
            const bool coding = i >= field::Lower && i < field::b + 6;
            if (!title && !coding) {
                EXPECT_EQ(output[i], input[i]) << "byte " << i;
            }
        }
        EXPECT_EQ(output[field::Lower], 0);
        EXPECT_EQ(output[field::Upper], (missing + 255) % 256);
        EXPECT_EQ(output[field::Missing], missing);
        EXPECT_EQ(_RealPascalToDoubleC(&output[field::m]), 0.25);
        EXPECT_EQ(_RealPascalToDoubleC(&output[field::b]), -5.0);
    }
}

TEST(ByteTable, MissingPassesThroughEveryOtherByteIsInRange)
{
    // A law far outside the byte range: every byte but Missing is clamped.
    const ByteTable table(Law{1, 0}, Law{0.001, -1000}, 42);
    for (int v = 0; v < 256; ++v) {
        const unsigned char b = static_cast<unsigned char>(v);
        if (v == 42) {
            EXPECT_EQ(table.stored(b), 42);
            EXPECT_FALSE(table.logged(b));
        } else {
            EXPECT_EQ(table.stored(b), 41) << v;
            EXPECT_TRUE(table.logged(b)) << v;
        }
    }
}

} // namespace
} // namespace brennix
