// Writing the 512-byte IDA header of an image description.
#include "image/header_layout.h"
#include "quorvex/quorvex.h"

#include <cstring>

using namespace quorvex;

namespace {

void put_r48(unsigned char *header, int at, double value)
{
    _DoubleCtoRealPascal(header + at, value);
}

unsigned char low_byte(long value)
{
    return static_cast<unsigned char>(value & 0xff);
}

uint16_t low_16(int32_t value)
{
    return static_cast<uint16_t>(value & 0xffff);
}

} // namespace

extern "C" int QUORVEX_CALL _IT2IDAHeader(const IMAGETYPE *pit, unsigned char *header,
                                          const PROJITEM *ProjectionItems)
{
    if (pit == nullptr || header == nullptr || ProjectionItems == nullptr)
        return 0;
    // The conversion of the reference point changes the record it works on;
    // the caller's record stays as it is.
    IMAGETYPE image = *pit;

    std::memset(header, 0, QUORVEX_HEADER_SIZE);
    header[offset::projection] = low_byte(image.header.projection);

    if (image.header.projection != QUORVEX_PROJECTION_NONE) {
        put_r48(header, offset::lat_center, image.header.lat_center);
        put_r48(header, offset::lon_center, image.header.lon_center);
        // The row a reader of these bytes consults: the code's low byte.
        if ((ProjectionItems[header[offset::projection]].parfalse & QUORVEX_TWO_PARALLELS) != 0) {
            put_r48(header, offset::par1, image.header.par1);
            put_r48(header, offset::par2, image.header.par2);
        }
        put_r48(header, offset::dx, image.dx);
        put_r48(header, offset::dy, image.dy);
        if (image.ul_units != QUORVEX_UNIT_IMAGE) {
            const int16_t held_in = image.ul_units;
            image.ul_units = QUORVEX_UNIT_IMAGE;
            image.dx = 1.0 / image.dx;
            image.dy = 1.0 / image.dy;
            if (_ChangeULValues(&image, held_in, QUORVEX_UNIT_IMAGE) == 0)
                return 0;
        }
        put_r48(header, offset::x_center, image.x_center);
        put_r48(header, offset::y_center, image.y_center);
    }

    header[offset::ida_type] = image.ida_type == QUORVEX_IDA_TYPE_UNDEFINED
                                   ? static_cast<unsigned char>(QUORVEX_IDA_TYPE_IN_HEADER)
                                   : low_byte(image.ida_type);
    write_int16(header, offset::rows, static_cast<int16_t>(low_16(image.rows)));
    write_int16(header, offset::columns, static_cast<int16_t>(low_16(image.columns)));
    put_r48(header, offset::slope, image.slope);
    put_r48(header, offset::intercept, image.intercept);

    if (image.ida_type == QUORVEX_IDA_TYPE_IN_HEADER) {
        header[offset::lower] = low_byte(image.mincodedvalue);
        header[offset::upper] = low_byte(image.maxcodedvalue);
        if (image.missingcodes[0] != QUORVEX_NO_VALUE)
            header[offset::missing] = low_byte(image.missingcodes[0]);
    }
    return 1;
}
