// The colour-file reader on its own: the classes a text gives, or the line
// and reason it is refused for.
#include "colour_file.h"

#include <gtest/gtest.h>

namespace {

TEST(ColourFile, ClassesOrTheLineAndReason)
{
    const struct {
        std::string text, expected; // the classes as "from-to red,green,blue [legend]"
    } cases[] = {
        {"From To Red Green Blue Legend\r\n\n 0\t4 255 0 0  low values \r\n5 9 1 2 3\n",
         "0-4 255,0,0 [low values] 5-9 1,2,3 [] "},
        {"9 9 0 0 0 x", "9-9 0,0,0 [x] "},
        {"From To\n\n", "f: no colour classes"},
        {"0 1 2 3 4\nFrom To", "f:2: From 'From' is not a whole number from 0 to 255"},
        {"0 1 2 3", "f:1: no Blue (expected From To Red Green Blue Legend)"},
        {"5 4 0 0 0", "f:1: From 5 is above To 4"},
        {"0 256 0 0 0", "f:1: To '256' is not a whole number from 0 to 255"},
        {"0 1 2x 3 4", "f:1: Red '2x' is not a whole number from 0 to 255"},
        {std::string("0 1 2 3 4\n1 2 3 4 5 \0", 21), "f:2: zero byte in the line"},
    };
    for (const auto &c : cases) {
        std::vector<cli::ColourClass> classes;
        std::string got;
        cli::read_colour_text(c.text.data(), c.text.size(), "f", &classes, &got);
        for (const cli::ColourClass &k : classes)
            got += std::to_string(k.from) + "-" + std::to_string(k.to) + " " +
                   std::to_string(k.red) + "," + std::to_string(k.green) + "," +
                   std::to_string(k.blue) + " [" + k.legend + "] ";
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

} // namespace
