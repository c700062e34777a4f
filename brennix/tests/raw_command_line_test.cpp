// The program's name split off the raw Windows command line.
#include "raw_command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(RawCommandLine, SkipsTheProgramNameAndTheSpacesAround)
{
    struct Case {
        const char *line;
        const char *text;
    } cases[] = {
        {"Brennix a b c d e f", "a b c d e f"},
        {"Brennix   a b  ", "a b"},
        {"\"C:\\Program Files\\Brennix.exe\" a b", "a b"},
        {"\"C:\\My Tools\\Brennix\"a b", "a b"},
        {"\"C:\\x y\\Brennix.exe\" \"in file\" out", "\"in file\" out"},
        {"\"unclosed quote a b c", ""},
        {"Brennix", ""},
        {"Brennix ", ""},
        {"", ""},
        {"\"\" a", "a"},
        {"Brennix a  b", "a  b"},
        {"Brennix\ta b", "b"},
        {"Brennix \ta\t ", "\ta\t"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(brennix::text_after_program_name(c.line), c.text);
    }
}

} // namespace
