// Header report lines, the colour file and its upper-cased name, and the
// output title cut at eighty characters whatever the input name.
#include "reports.h"
#include "rescale.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace brennix {
namespace {

// The legend numbers of a colour file, in order of appearance: lines 2 and
// 16 have 41 fixed characters, lines 3 to 15 have 37; the first and the last
// carry no legend.
std::vector<std::string> legends(const std::string &text)
{
    std::vector<std::string> numbers;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line); // the column heads
    for (std::size_t i = 1; std::getline(lines, line) && i < 16; ++i) {
        const std::size_t start = i == 1 || i == 15 ? 41 : 37;
        const std::string rest = line.substr(start, line.size() - 1 - start); // without the CR
        const std::size_t to = rest.find(" to ");
        numbers.push_back(rest.substr(0, to));
        if (to != std::string::npos)
            numbers.push_back(rest.substr(to + 4));
    }
    return numbers;
}

TEST(ColourFile, LegendsFollowTheLaw)
{
    // Unit slope: the legend bytes themselves.
    std::vector<std::string> bytes;
    for (int b : {1, 9, 19, 29, 49, 79, 99, 129, 159, 179, 194, 210, 229, 253})
        bytes.insert(bytes.end(), 2, " " + std::to_string(b) + " ");
    EXPECT_EQ(legends(colour_file_text(1, 0)), bytes);
    // A negative slope gives falling legends, rounded toward minus infinity.
    const std::vector<std::string> falling = legends(colour_file_text(-2.5, 100));
    EXPECT_EQ(falling.front(), " 97 "); // floor(97.5)
    EXPECT_EQ(falling.back(), "-533 "); // floor(-532.5)
}

TEST(ColourFileName, OnlyTheFileNameIsUpperCased)
{
    const char *const cases[][2] = {
        {"colours.clr", "COLOURS.CLR"},
        {"out/sub/ndvi.clr", "out/sub/NDVI.CLR"},
        {"/tmp/Mixed/Case.Clr", "/tmp/Mixed/CASE.CLR"},
        {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA9\xC3\xB1\xC3\xA5\xC3\xA7.clr",
         "\xC3\x84\xC3\x96\xC3\x9C\xC3\x89\xC3\x91\xC3\x85\xC3\x87.CLR"},
        // Other accented letters and stray bytes stay as they are.
        {"\xC3\xA8\xC3\xBF\xA4x.clr", "\xC3\xA8\xC3\xBF\xA4X.CLR"},
        {"dir.x/", "dir.x/"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(colour_file_name(c[0]), c[1]) << c[0];
}

TEST(HeaderReport, TitleBytesAreCopiedUnconverted)
{
    HeaderBytes header{};
    for (std::size_t i = 0; i < 80; ++i)
        header[field::Title + i] = static_cast<unsigned char>(i == 3 ? '\r' : 200 + i % 50);
    const std::vector<std::string> lines = header_report_lines(header);
    const char *title = reinterpret_cast<const char *>(&header[field::Title]);
    EXPECT_EQ(lines[4].substr(40, 40), std::string(title, 40));
    EXPECT_EQ(lines[5].substr(40, 40), std::string(title + 40, 40));
}

TEST(OutputHeader, TitleIsCutAtEightyCharacters)
{
    const HeaderBytes input{};
    const std::string fixed = " with new slope and intercept";
    const std::string cases[][2] = {
        {"in.ida", "Built from in.ida" + fixed + std::string(80 - 46, ' ')},
        {std::string(60, 'n'), "Built from " + std::string(60, 'n') + " with new"},
        {std::string(69, 'n'), "Built from " + std::string(69, 'n')},
        {std::string(90, 'n'), "Built from " + std::string(69, 'n')},
        {"", "Built from " + fixed + std::string(80 - 40, ' ')},
    };
    for (const auto &c : cases) {
        const HeaderBytes out = derive_output_header(input, c[0], Law{0.5, -10});
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(&out[field::Title]), 80), c[1])
            << c[0];
    }
}

} // namespace
} // namespace brennix
