// Fuzz target for the GDAL driver's reader of outside bytes: recognising
// an IDA file from its first bytes and its size, and the georeference of a
// recognised file (the colour file beside an image has a target of its
// own).  The input is the whole file.  Checked: a recognised file is
// exactly its header and rows x columns pixel bytes and reads with status
// 100; a georeference names a coordinate system and has a finite grid with
// non-zero pixel sizes.
#include "fuzz_check.h"
#include "ida_format.h"
#include "quorvex_tables.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QuorvexTables tables = [] {
        QuorvexTables t;
        load_default_tables(&t);
        return t;
    }();
    if (size < QUORVEX_HEADER_SIZE || !ida::header_is_consistent(data, size, tables))
        return 0;
    IMAGETYPE image{};
    FUZZ_REQUIRE(_IDAHeaderToIT(data, &image, tables.projections, tables.spheroids,
                                tables.types.data(), tables.type_count(), 0) == QUORVEX_SUCCESS);
    FUZZ_REQUIRE(image.rows > 0 && image.columns > 0 &&
                 size == QUORVEX_HEADER_SIZE + uint64_t(image.rows) * uint64_t(image.columns));
    ida::Georeference georeference;
    if (ida::georeference_of(image, &georeference)) {
        FUZZ_REQUIRE(!georeference.crs.empty());
        for (double v : georeference.geotransform)
            FUZZ_REQUIRE(std::isfinite(v));
        FUZZ_REQUIRE(georeference.geotransform[1] != 0 && georeference.geotransform[5] != 0);
    }
    return 0;
}
