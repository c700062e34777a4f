// Fuzz target for the places-file reader of the quorvex program: the input
// is a places file.  A refused file must give "f line N: reason" with a
// line the file has, or "f: reason"; accepted places must be degrees the
// program can look for, and no name may hold a tab, a line end or a zero
// byte (each would break the report's line).
#include "cli.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) // fmemopen takes no empty buffer
        return 0;
    const std::unique_ptr<std::FILE, cli::FileCloser> file(
        fmemopen(const_cast<uint8_t *>(data), size, "rb"));
    FUZZ_REQUIRE(file != nullptr);
    std::vector<cli::Place> places;
    try {
        places = cli::read_places(file.get(), "f");
    } catch (const cli::InputError &e) {
        const std::string why = e.what();
        if (why.rfind("f: ", 0) == 0)
            return 0;
        FUZZ_REQUIRE(why.rfind("f line ", 0) == 0);
        const long line = std::strtol(why.c_str() + 7, nullptr, 10);
        FUZZ_REQUIRE(line >= 1 && line <= 1 + std::count(data, data + size, '\n'));
        return 0;
    }
    FUZZ_REQUIRE(!places.empty());
    for (const cli::Place &p : places) {
        FUZZ_REQUIRE(cli::in_degrees(p.x, p.y));
        FUZZ_REQUIRE(!p.name.empty());
        FUZZ_REQUIRE(p.name.find_first_of(std::string("\t\r\n\0", 4)) == std::string::npos);
    }
    return 0;
}
