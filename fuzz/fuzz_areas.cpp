// Fuzz target for the GeoJSON area reader of the quorvex program: the input
// is an areas file.  A refused file must give a message naming the file
// ("f: ..." or "f feature N: ..."); accepted areas must carry names without
// tabs or line breaks, and every place of a grid over the globe (and 360
// degrees beyond) must be tested against each of them without fault.
#include "cli.h"
#include "fuzz_check.h"

#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::vector<cli::Area> areas;
    try {
        areas = cli::read_areas(in, "f");
    } catch (const cli::InputError &e) {
        const std::string why = e.what();
        FUZZ_REQUIRE(why.rfind("f: ", 0) == 0 || why.rfind("f feature ", 0) == 0);
        return 0;
    }
    FUZZ_REQUIRE(!areas.empty());
    for (const cli::Area &area : areas) {
        FUZZ_REQUIRE(area.name.find_first_of("\t\r\n") == std::string::npos);
        for (double latitude = -90; latitude <= 90; latitude += 7.5)
            for (double longitude = -180; longitude <= 540; longitude += 7.5)
                FUZZ_REQUIRE(!area.holds(longitude, latitude) || area.shape().south <= latitude);
    }
    return 0;
}
