// The colour file's legend bytes and its upper-cased name, and the output
// title: cut at eighty characters whatever the input name, and reported as
// the bytes it holds.  The golden run pins the rest of both texts.
#include "reports.h"
#include "rescale.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace brennix {
namespace {

TEST(ColourFile, LegendsOfTheUnitLawAreTheClassBytes)
{
    // What follows column 37 of each line; the class from 211 carries the
    // legend of 210, as colour files already in use read.
    std::istringstream lines(colour_file_text(1, 0));
    std::string legends;
    for (std::string line; std::getline(lines, line);)
        legends += line.substr(37) + "|";
    EXPECT_EQ(legends,
              "Legend\r|   < 1 \r| 1  to  9 \r| 9  to  19 \r| 19  to  29 \r| 29  to  49 \r|"
              " 49  to  79 \r| 79  to  99 \r| 99  to  129 \r| 129  to  159 \r|"
              " 159  to  179 \r| 179  to  194 \r| 194  to  210 \r| 210  to  229 \r|"
              " 229  to  253 \r|   > 253 \r|   Missing\r|");
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

TEST(OutputHeader, TitleIsCutAtEightyCharactersAndReportedAsItsBytes)
{
    const std::string fixed = " with new slope and intercept";
    const std::string cases[][2] = {
        {"in.ida", "Built from in.ida" + fixed + std::string(80 - 46, ' ')},
        {std::string(60, 'n'), "Built from " + std::string(60, 'n') + " with new"},
        {std::string(69, 'n'), "Built from " + std::string(69, 'n')},
        {std::string(90, 'n'), "Built from " + std::string(69, 'n')},
        {"", "Built from " + fixed + std::string(80 - 40, ' ')},
        // A carriage return and bytes above 127 go into the report unconverted.
        {"\r\xC8\xE7" + std::string(70, '\xFA'), "Built from \r\xC8\xE7" + std::string(66, '\xFA')},
    };
    for (const auto &c : cases) {
        const HeaderBytes out = derive_output_header(HeaderBytes{}, c[0], Law{0.5, -10});
        EXPECT_EQ(std::string(reinterpret_cast<const char *>(&out[field::Title]), 80), c[1])
            << c[0];
        const std::vector<std::string> lines = header_report_lines(out);
        EXPECT_EQ(lines[4].substr(40) + lines[5].substr(40),
                  c[1].substr(0, 40) + "<" + c[1].substr(40) + "<");
    }
}

} // namespace
} // namespace brennix
