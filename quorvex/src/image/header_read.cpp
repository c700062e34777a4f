// Reading the 512-byte IDA header into the library's image description.
#include "image/header_layout.h"
#include "image/messages.h"
#include "quorvex/quorvex.h"

#include <cmath>

using namespace quorvex;

namespace {

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
    return (items[projection].parfalse & QUORVEX_TWO_PARALLELS) != 0;
}

void read_parallels(const unsigned char *header, HEADER *hdr, const PROJITEM *items)
{
    if (has_two_parallels(items, hdr->projection)) {
        hdr->par1 = r48(header, offset::par1);
        hdr->par2 = r48(header, offset::par2);
    } else {
        hdr->par1 = QUORVEX_NO_VALUE;
        hdr->par2 = QUORVEX_NO_VALUE;
    }
}

// False when the caller gave no table to take the row from.
bool use_spheroid_row(HEADER *hdr, const SFEROID *table, int16_t row)
{
    if (table == nullptr)
        return false;
    hdr->spheroid = row;
    hdr->a = table[row].a;
    hdr->b = table[row].b;
    return true;
}

// Picks the spheroid each projection is computed on: QUORVEX_SUCCESS, or
// the local code of a projection the reader does not accept or of a
// spheroid table that is needed but missing.
int16_t choose_spheroid(HEADER *hdr, const SFEROID *table)
{
    const int16_t no_table = QUORVEX_MSG_CANNOT_OPEN;
    switch (hdr->projection) {
    case QUORVEX_PROJECTION_NONE:
    case QUORVEX_PROJECTION_HAMMER_AITOFF:
    case QUORVEX_PROJECTION_PLATE_CARREE:
        hdr->spheroid = 0;
        return QUORVEX_SUCCESS;
    case QUORVEX_PROJECTION_LAMBERT_CONFORMAL_CONIC:
    case QUORVEX_PROJECTION_ALBERS:
        return use_spheroid_row(hdr, table, 1) ? QUORVEX_SUCCESS : no_table;
    case QUORVEX_PROJECTION_GEOSTATIONARY:
        hdr->spheroid = geostationary_spheroid;
        hdr->a = geostationary_a;
        hdr->b = geostationary_b;
        return QUORVEX_SUCCESS;
    case QUORVEX_PROJECTION_LAMBERT_AZIMUTHAL:
    case QUORVEX_PROJECTION_GOODE:
        return use_spheroid_row(hdr, table, 12) ? QUORVEX_SUCCESS : no_table;
    case QUORVEX_PROJECTION_POLAR_STEREOGRAPHIC:
        return use_spheroid_row(hdr, table, 4) ? QUORVEX_SUCCESS : no_table;
    default:
        return QUORVEX_MSG_PROJECTION_UNKNOWN;
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
    fill_codes(pit->missingcodes, QUORVEX_NO_VALUE);
    fill_codes(pit->maskingcodes, QUORVEX_NO_VALUE);
    fill_codes(pit->cloudcodes, QUORVEX_NO_VALUE);
    fill_codes(pit->nodatacodes, QUORVEX_NO_VALUE);
    pit->sp1 = QUORVEX_NO_VALUE;
    pit->sp2 = QUORVEX_NO_VALUE;
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

extern "C" int16_t QUORVEX_CALL _IDAHeaderToIT(const unsigned char *header, IMAGETYPE *pit,
                                               const PROJITEM *ProjectionItems,
                                               const SFEROID *Spheroid, const IDATYPE *IdaType,
                                               int16_t NIdaType, int called_from_outside)
{
    if (header == nullptr || pit == nullptr || (IdaType == nullptr && NIdaType > 0))
        return status_for(QUORVEX_MSG_CANNOT_OPEN, called_from_outside);
    HEADER *hdr = &pit->header;
    hdr->projection = header[offset::projection];
    const int16_t chosen = choose_spheroid(hdr, Spheroid);
    if (chosen != QUORVEX_SUCCESS)
        return status_for(chosen, called_from_outside);
    if (ProjectionItems == nullptr && hdr->projection != QUORVEX_PROJECTION_NONE)
        return status_for(QUORVEX_MSG_CANNOT_OPEN, called_from_outside);

    if (hdr->projection != QUORVEX_PROJECTION_NONE) {
        hdr->lat_center = r48(header, offset::lat_center);
        hdr->lon_center = r48(header, offset::lon_center);
        read_parallels(header, hdr, ProjectionItems);
        hdr->fn = 0.0;
        hdr->fe = 0.0;
        pit->ul_units = QUORVEX_UNIT_IMAGE;
        pit->x_center = r48(header, offset::x_center);
        pit->y_center = r48(header, offset::y_center);
        pit->dx = r48(header, offset::dx);
        pit->dy = r48(header, offset::dy);
        if (std::fabs(pit->dx) < smallest_scale || std::fabs(pit->dy) < smallest_scale)
            hdr->projection = QUORVEX_PROJECTION_NONE;
    }

    pit->type = -1;
    pit->ida_type = header[offset::ida_type];
    pit->rows = read_int16(header, offset::rows);
    pit->columns = read_int16(header, offset::columns);
    pit->header_length = QUORVEX_HEADER_SIZE;
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
    if (pit->ida_type == QUORVEX_IDA_TYPE_IN_HEADER)
        take_coding_from_header(pit, header);
    else if (!found)
        return status_for(QUORVEX_MSG_IDA_TYPE_UNKNOWN, called_from_outside);
    return QUORVEX_SUCCESS;
}

extern "C" void QUORVEX_CALL _CharToHeader(const unsigned char *str, HEADER *hdr,
                                           const PROJITEM *ProjectionItems)
{
    if (str == nullptr || hdr == nullptr || ProjectionItems == nullptr)
        return;
    hdr->projection = str[offset::projection];
    hdr->lat_center = r48(str, offset::lat_center);
    hdr->lon_center = r48(str, offset::lon_center);
    read_parallels(str, hdr, ProjectionItems);
    hdr->fn = 0.0;
    hdr->fe = 0.0;
}

extern "C" int16_t QUORVEX_CALL _CheckCurrImageParams(const HEADER *hdr, const IMAGETYPE *pit,
                                                      int called_from_outside)
{
    // Nothing to compare with is not the same projection.
    if (hdr == nullptr || pit == nullptr)
        return status_for(QUORVEX_MSG_PROJECTION_DIFFERS, called_from_outside);
    const HEADER &ref = pit->header;
    if (hdr->projection != ref.projection)
        return status_for(QUORVEX_MSG_PROJECTION_DIFFERS, called_from_outside);
    if (differ(hdr->lat_center, ref.lat_center) || differ(hdr->lon_center, ref.lon_center))
        return status_for(QUORVEX_MSG_CENTER_DIFFERS, called_from_outside);
    if (differ(hdr->par1, ref.par1) || differ(hdr->par2, ref.par2))
        return status_for(QUORVEX_MSG_PARALLELS_DIFFER, called_from_outside);
    if (differ(hdr->fe, ref.fe) || differ(hdr->fn, ref.fn))
        return status_for(QUORVEX_MSG_FALSE_ORIGIN_DIFFERS, called_from_outside);
    return QUORVEX_SUCCESS;
}
