// Reading the 512-byte IDA header into the library's image description.
#include "header_layout.h"
#include "messages.h"
#include "quorvex/quorvex.h"

#include <cmath>

using namespace quorvex;

namespace {

constexpr int16_t refused_projection = 1;  // local code: projection unknown
constexpr int16_t unknown_ida_type = 10;   // local code: IDA type unknown
constexpr int16_t projections_differ = 6;
constexpr int16_t centres_differ = 7;
constexpr int16_t parallels_differ = 8;
constexpr int16_t false_origins_differ = 9;

// A scale below this is taken as "not geolocated".
constexpr double smallest_scale = 1e-7;
// Angles and false origins closer than this are the same.
constexpr double same_parameter = 0.00001;

// Semi-axes of the fixed spheroid of the geostationary view, kilometres.
constexpr double geostationary_a = 6378.155;
constexpr double geostationary_b = 6356.7518;
constexpr int16_t geostationary_spheroid = 13;

double r48(const unsigned char *header, int at)
{
    return _RealPascalToDoubleC(header + at);
}

bool has_two_parallels(const PROJITEM *items, int projection)
{
    return (items[projection].parfalse & 1) != 0;
}

void read_parallels(const unsigned char *header, HEADER *hdr,
                    const PROJITEM *items)
{
    if (has_two_parallels(items, hdr->projection)) {
        hdr->par1 = r48(header, offset::par1);
        hdr->par2 = r48(header, offset::par2);
    } else {
        hdr->par1 = no_parallel;
        hdr->par2 = no_parallel;
    }
}

void use_spheroid_row(HEADER *hdr, const SFEROID *table, int16_t row)
{
    hdr->spheroid = row;
    hdr->a = table[row].a;
    hdr->b = table[row].b;
}

// Picks the spheroid each projection is computed on.  False for a code the
// reader does not accept.
bool choose_spheroid(HEADER *hdr, const SFEROID *table)
{
    switch (hdr->projection) {
    case 0:
    case 2:
    case 3:
        hdr->spheroid = 0;
        return true;
    case 4:
    case 8:
        use_spheroid_row(hdr, table, 1);
        return true;
    case 5:
        hdr->spheroid = geostationary_spheroid;
        hdr->a = geostationary_a;
        hdr->b = geostationary_b;
        return true;
    case 6:
    case 9:
        use_spheroid_row(hdr, table, 12);
        return true;
    case 7:
        use_spheroid_row(hdr, table, 4);
        return true;
    default:
        return false;
    }
}

void copy_codes(int32_t *to, const int32_t *from)
{
    for (int i = 0; i < 10; ++i)
        to[i] = from[i];
}

void fill_codes(int32_t *to, int32_t value)
{
    for (int i = 0; i < 10; ++i)
        to[i] = value;
}

void take_coding_from_table(IMAGETYPE *pit, const IDATYPE &row)
{
    copy_codes(pit->missingcodes, row.missingcodes);
    copy_codes(pit->maskingcodes, row.maskingcodes);
    copy_codes(pit->cloudcodes, row.cloudcodes);
    copy_codes(pit->nodatacodes, row.nodatacodes);
    pit->sp1 = row.sp1;
    pit->sp2 = row.sp2;
    pit->nspecialcodes = row.nspecialcodes;
    pit->slope = row.slope;
    pit->intercept = row.intercept;
}

void take_coding_from_header(IMAGETYPE *pit, const unsigned char *header)
{
    pit->mincodedvalue = header[offset::lower];
    pit->maxcodedvalue = header[offset::upper];
    fill_codes(pit->missingcodes, empty_code);
    fill_codes(pit->maskingcodes, empty_code);
    fill_codes(pit->cloudcodes, empty_code);
    fill_codes(pit->nodatacodes, empty_code);
    pit->sp1 = empty_code;
    pit->sp2 = empty_code;
    pit->missingcodes[0] = header[offset::missing];
    pit->slope = r48(header, offset::slope);
    pit->intercept = r48(header, offset::intercept);
    pit->nspecialcodes = 1;
}

bool differ(double a, double b)
{
    return std::fabs(a - b) > same_parameter;
}

} // namespace

extern "C" int16_t QUORVEX_CALL _IDAHeaderToIT(
    const unsigned char *header, IMAGETYPE *pit,
    const PROJITEM *ProjectionItems, const SFEROID *Spheroid,
    const IDATYPE *IdaType, int16_t NIdaType, int called_from_outside)
{
    HEADER *hdr = &pit->header;
    hdr->projection = header[offset::projection];
    if (!choose_spheroid(hdr, Spheroid))
        return status_for(refused_projection, called_from_outside);

    if (hdr->projection != 0) {
        hdr->lat_center = r48(header, offset::lat_center);
        hdr->lon_center = r48(header, offset::lon_center);
        read_parallels(header, hdr, ProjectionItems);
        hdr->fn = 0.0;
        hdr->fe = 0.0;
        pit->ul_units = 0;
        pit->x_center = r48(header, offset::x_center);
        pit->y_center = r48(header, offset::y_center);
        pit->dx = r48(header, offset::dx);
        pit->dy = r48(header, offset::dy);
        if (std::fabs(pit->dx) < smallest_scale ||
            std::fabs(pit->dy) < smallest_scale)
            hdr->projection = 0;
    }

    pit->type = -1;
    pit->ida_type = header[offset::ida_type];
    pit->rows = read_int16(header, offset::rows);
    pit->columns = read_int16(header, offset::columns);
    pit->header_length = ida_header_length;
    pit->bytesperpixel = 1;
    pit->bytesorder = 0;

    bool found = false;
    for (int i = 0; i < NIdaType; ++i) {
        if (IdaType[i].code == pit->ida_type) {
            take_coding_from_table(pit, IdaType[i]);
            found = true;
            break;
        }
    }
    if (pit->ida_type == ida_type_in_header)
        take_coding_from_header(pit, header);
    else if (!found)
        return status_for(unknown_ida_type, called_from_outside);
    return status_ok;
}

extern "C" void QUORVEX_CALL _CharToHeader(const unsigned char *str,
                                           HEADER *hdr,
                                           const PROJITEM *ProjectionItems)
{
    hdr->projection = str[offset::projection];
    hdr->lat_center = r48(str, offset::lat_center);
    hdr->lon_center = r48(str, offset::lon_center);
    read_parallels(str, hdr, ProjectionItems);
    hdr->fn = 0.0;
    hdr->fe = 0.0;
}

extern "C" int16_t QUORVEX_CALL _CheckCurrImageParams(
    const HEADER *hdr, const IMAGETYPE *pit, int called_from_outside)
{
    const HEADER &ref = pit->header;
    if (hdr->projection != ref.projection)
        return status_for(projections_differ, called_from_outside);
    if (differ(hdr->lat_center, ref.lat_center) ||
        differ(hdr->lon_center, ref.lon_center))
        return status_for(centres_differ, called_from_outside);
    if (differ(hdr->par1, ref.par1) || differ(hdr->par2, ref.par2))
        return status_for(parallels_differ, called_from_outside);
    if (differ(hdr->fe, ref.fe) || differ(hdr->fn, ref.fn))
        return status_for(false_origins_differ, called_from_outside);
    return status_ok;
}
