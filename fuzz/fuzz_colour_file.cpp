// Fuzz target for the colour-file reader of the quorvex program: the input
// is a colour file.  A refused file must give "NAME:LINE: reason" (or
// "NAME: no colour classes") with a line the file has; accepted classes
// must lie within the byte range in order, and no legend may carry a line
// end or blanks at its ends.
#include "colour_file.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    std::vector<cli::ColourClass> classes;
    std::string error;
    if (!cli::read_colour_text(text, size, "f", &classes, &error)) {
        FUZZ_REQUIRE(classes.empty());
        if (error == "f: no colour classes")
            return 0;
        FUZZ_REQUIRE(error.compare(0, 2, "f:") == 0);
        const long line = std::strtol(error.c_str() + 2, nullptr, 10);
        FUZZ_REQUIRE(line >= 1 && line <= 1 + std::count(text, text + size, '\n'));
        return 0;
    }
    FUZZ_REQUIRE(!classes.empty());
    for (const cli::ColourClass &c : classes) {
        FUZZ_REQUIRE(0 <= c.from && c.from <= c.to && c.to <= 255);
        FUZZ_REQUIRE(c.legend.find('\n') == std::string::npos);
        if (!c.legend.empty())
            FUZZ_REQUIRE(c.legend.front() != ' ' && c.legend.back() != ' ' &&
                         c.legend.back() != '\r');
    }
    return 0;
}
