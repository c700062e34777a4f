// Header report lines, the colour file and its upper-cased name.
#include "reports.h"

#include "run_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brennix {
namespace {

// The legend numbers of a colour file, in order of appearance.
std::vector<std::string> legends(const std::string &text)
{
    std::vector<std::string> numbers;
    const std::vector<std::string> lines = test_support::crlf_lines(text);
    // Lines 2 and 16 have 41 fixed characters, lines 3 to 15 have 37; the
    // first and the last carry no legend.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::string &line = lines[i];
        const std::size_t fixed_end = i == 1 || i == 15 ? 41 : 37;
        const std::string rest = line.substr(fixed_end);
        const std::size_t to = rest.find(" to ");
        numbers.push_back(rest.substr(0, to));
        if (to != std::string::npos)
            numbers.push_back(rest.substr(to + 4));
    }
    return numbers;
}

TEST(ColourFile, LegendsFollowTheLaw)
{
    using Numbers = std::vector<std::string>;
    // Unit slope: the legend bytes themselves.
    EXPECT_EQ(legends(colour_file_text(1, 0)),
              (Numbers{" 1 ", " 1 ", " 9 ", " 9 ", " 19 ", " 19 ", " 29 ", " 29 ", " 49 ",
                       " 49 ", " 79 ", " 79 ", " 99 ", " 99 ", " 129 ", " 129 ", " 159 ",
                       " 159 ", " 179 ", " 179 ", " 194 ", " 194 ", " 210 ", " 210 ",
                       " 229 ", " 229 ", " 253 ", " 253 "}));
    // Each legend is rounded down on its own.
    const Numbers tenth = legends(colour_file_text(0.1, 0));
    ASSERT_EQ(tenth.size(), 28u);
    EXPECT_EQ(tenth[0], " 0 ");
    EXPECT_EQ(tenth[2], " 0 ");   // v(9) = floor(0.9)
    EXPECT_EQ(tenth[3], " 0 ");
    EXPECT_EQ(tenth[4], " 1 ");   // v(19) = floor(1.9)
    EXPECT_EQ(tenth[6], " 2 ");   // v(29) = floor(2.9000000000000004)
    // A negative slope gives falling legends, rounded toward minus infinity.
    const Numbers falling = legends(colour_file_text(-2.5, 100));
    EXPECT_EQ(falling.front(), " 97 ");   // floor(97.5)
    EXPECT_EQ(falling.back(), "-533 ");   // floor(-532.5)
}

TEST(ColourFileName, OnlyTheFileNameIsUpperCased)
{
    const struct {
        const char *typed;
        const char *created;
    } cases[] = {
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
        EXPECT_EQ(colour_file_name(c.typed), c.created) << c.typed;
}

TEST(HeaderReport, TitleBytesAreCopiedUnconverted)
{
    HeaderBytes header{};
    for (std::size_t i = 0; i < 80; ++i)
        header[field::Title + i] = static_cast<unsigned char>(i == 3 ? '\r' : 200 + i % 50);
    const std::vector<std::string> lines = header_report_lines(header);
    EXPECT_EQ(lines[4].substr(40, 40),
              std::string(reinterpret_cast<const char *>(&header[field::Title]), 40));
    EXPECT_EQ(lines[5].substr(40, 40),
              std::string(reinterpret_cast<const char *>(&header[field::Title + 40]), 40));
}

} // namespace
} // namespace brennix
