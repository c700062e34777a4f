// Fuzz target for the IDA header readers.  The first 512 input bytes are the
// header (a shorter input is padded with zero bytes); the bytes after it
// choose the caller's tables: which projections have two standard
// parallels, the spheroid axes, the rows of the IDA type table and the form
// of the status codes.  Every table and the header sit in heap blocks of
// exactly their size, so a read past any of them is reported.  The
// projection table has 256 rows, one per code a header byte can hold, as
// the readers require.  Checked: every field against the header bytes, the
// fields left alone on each path, the status codes, and that a description
// written back by _IT2IDAHeader reads as the same image.
#include "byte_source.h"
#include "fuzz_check.h"
#include "image/header_layout.h"
#include "image/messages.h"
#include "quorvex/quorvex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

using namespace quorvex;

namespace {

constexpr int projection_rows = 256;
constexpr int spheroid_rows = 13; // the readers use rows 1, 4 and 12
constexpr int max_ida_rows = 6;
constexpr double smallest_scale = 1e-7;
// Fills the record before each call; a field still holding it was not
// written.  Finite, so a comparison of the record with itself is defined.
constexpr double untouched = 12345.678;
constexpr int32_t untouched_code = 777;

struct Tables {
    std::vector<PROJITEM> projections;
    std::vector<SFEROID> spheroids;
    std::vector<IDATYPE> ida_types;
    int called_from_outside;
};

Tables make_tables(ByteSource &in)
{
    Tables t;
    t.projections.resize(projection_rows);
    for (int code = 0; code < projection_rows; ++code) {
        PROJITEM &row = t.projections[code];
        std::memset(&row, 0, sizeof row);
        row.proj = static_cast<int16_t>(code);
        row.parfalse = in.take<uint8_t>();
    }
    t.spheroids.resize(spheroid_rows);
    for (SFEROID &row : t.spheroids) {
        std::memset(&row, 0, sizeof row);
        row.a = in.take<double>();
        row.b = in.take<double>();
    }
    const int ida_rows = in.take_count(max_ida_rows);
    t.ida_types.resize(ida_rows);
    for (IDATYPE &row : t.ida_types) {
        std::memset(&row, 0, sizeof row);
        row.code = in.take<uint8_t>();
        row.mincodedvalue = in.take<int32_t>();
        row.maxcodedvalue = in.take<int32_t>();
        for (int i = 0; i < 10; ++i) {
            row.missingcodes[i] = in.take<int32_t>();
            row.maskingcodes[i] = in.take<int32_t>();
            row.cloudcodes[i] = in.take<int32_t>();
            row.nodatacodes[i] = in.take<int32_t>();
        }
        row.sp1 = in.take<int32_t>();
        row.sp2 = in.take<int32_t>();
        row.nspecialcodes = in.take<int16_t>();
        row.slope = in.take<double>();
        row.intercept = in.take<double>();
    }
    t.called_from_outside = (in.take<uint8_t>() & 1) ? 1 : 0;
    return t;
}

void fill_untouched(IMAGETYPE &it)
{
    std::memset(&it, 0, sizeof it);
    double *doubles[] = {&it.slope,
                         &it.intercept,
                         &it.dx,
                         &it.dy,
                         &it.x_center,
                         &it.y_center,
                         &it.lr_x,
                         &it.lr_y,
                         &it.header.a,
                         &it.header.b,
                         &it.header.lat_center,
                         &it.header.lon_center,
                         &it.header.par1,
                         &it.header.par2,
                         &it.header.fn,
                         &it.header.fe};
    for (double *d : doubles)
        *d = untouched;
    int32_t *codes[] = {it.missingcodes, it.maskingcodes, it.cloudcodes, it.nodatacodes};
    for (int32_t *c : codes)
        std::fill(c, c + 10, untouched_code);
    it.sp1 = it.sp2 = it.mincodedvalue = it.maxcodedvalue = untouched_code;
    it.nspecialcodes = 77;
    it.ul_units = 7;
    it.header.spheroid = 77;
    it.header.zone = 77;
}

double r48(const unsigned char *header, int at)
{
    return _RealPascalToDoubleC(header + at);
}

bool same(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool codes_equal(const int32_t *a, const int32_t *b)
{
    return std::equal(a, a + 10, b);
}

bool codes_all(const int32_t *a, int32_t value)
{
    return std::all_of(a, a + 10, [value](int32_t c) { return c == value; });
}

int16_t expected_status(int local, int outside, const Tables &t)
{
    return static_cast<int16_t>(t.called_from_outside ? outside : local);
}

void check_spheroid(const HEADER &h, const HEADER &before, int projection, const Tables &t)
{
    int row = -1;
    switch (projection) {
    case 0:
    case 2:
    case 3:
        FUZZ_REQUIRE(h.spheroid == 0);
        FUZZ_REQUIRE(same(h.a, before.a) && same(h.b, before.b));
        return;
    case 5:
        FUZZ_REQUIRE(h.spheroid == 13);
        FUZZ_REQUIRE(h.a == 6378.155 && h.b == 6356.7518);
        return;
    case 4:
    case 8:
        row = 1;
        break;
    case 6:
    case 9:
        row = 12;
        break;
    case 7:
        row = 4;
        break;
    }
    FUZZ_REQUIRE(h.spheroid == row);
    FUZZ_REQUIRE(same(h.a, t.spheroids[row].a));
    FUZZ_REQUIRE(same(h.b, t.spheroids[row].b));
}

void check_geolocation(const IMAGETYPE &it, const IMAGETYPE &before, const unsigned char *header,
                       int projection, const Tables &t)
{
    const HEADER &h = it.header;
    if (projection == 0) {
        FUZZ_REQUIRE(h.projection == 0);
        FUZZ_REQUIRE(same(h.lat_center, untouched) && same(h.lon_center, untouched) &&
                     same(h.par1, untouched) && same(h.par2, untouched) && same(h.fn, untouched) &&
                     same(h.fe, untouched));
        FUZZ_REQUIRE(it.ul_units == before.ul_units);
        FUZZ_REQUIRE(same(it.x_center, untouched) && same(it.y_center, untouched) &&
                     same(it.dx, untouched) && same(it.dy, untouched));
        return;
    }
    FUZZ_REQUIRE(same(h.lat_center, r48(header, offset::lat_center)));
    FUZZ_REQUIRE(same(h.lon_center, r48(header, offset::lon_center)));
    if (t.projections[projection].parfalse & 1) {
        FUZZ_REQUIRE(same(h.par1, r48(header, offset::par1)));
        FUZZ_REQUIRE(same(h.par2, r48(header, offset::par2)));
    } else {
        FUZZ_REQUIRE(h.par1 == QUORVEX_NO_VALUE && h.par2 == QUORVEX_NO_VALUE);
    }
    FUZZ_REQUIRE(h.fn == 0.0 && h.fe == 0.0 && it.ul_units == 0);
    FUZZ_REQUIRE(same(it.x_center, r48(header, offset::x_center)));
    FUZZ_REQUIRE(same(it.y_center, r48(header, offset::y_center)));
    FUZZ_REQUIRE(same(it.dx, r48(header, offset::dx)));
    FUZZ_REQUIRE(same(it.dy, r48(header, offset::dy)));
    const bool located = std::fabs(it.dx) >= smallest_scale && std::fabs(it.dy) >= smallest_scale;
    FUZZ_REQUIRE(h.projection == (located ? projection : 0));
}

void check_coding(const IMAGETYPE &it, const IMAGETYPE &before, const unsigned char *header,
                  int16_t status, const Tables &t)
{
    const int ida_type = header[offset::ida_type];
    const IDATYPE *row = nullptr;
    for (const IDATYPE &r : t.ida_types)
        if (r.code == ida_type) {
            row = &r;
            break;
        }

    if (ida_type == QUORVEX_IDA_TYPE_IN_HEADER) {
        FUZZ_REQUIRE(status == QUORVEX_SUCCESS);
        FUZZ_REQUIRE(it.mincodedvalue == header[offset::lower]);
        FUZZ_REQUIRE(it.maxcodedvalue == header[offset::upper]);
        FUZZ_REQUIRE(it.missingcodes[0] == header[offset::missing]);
        FUZZ_REQUIRE(std::all_of(it.missingcodes + 1, it.missingcodes + 10,
                                 [](int32_t c) { return c == QUORVEX_NO_VALUE; }));
        FUZZ_REQUIRE(codes_all(it.maskingcodes, QUORVEX_NO_VALUE) &&
                     codes_all(it.cloudcodes, QUORVEX_NO_VALUE) &&
                     codes_all(it.nodatacodes, QUORVEX_NO_VALUE));
        FUZZ_REQUIRE(it.sp1 == QUORVEX_NO_VALUE && it.sp2 == QUORVEX_NO_VALUE);
        FUZZ_REQUIRE(it.nspecialcodes == 1);
        FUZZ_REQUIRE(same(it.slope, r48(header, offset::slope)));
        FUZZ_REQUIRE(same(it.intercept, r48(header, offset::intercept)));
        return;
    }
    // A type of the table or an unknown one: the coded-value range is
    // never taken from the header or the table.
    FUZZ_REQUIRE(it.mincodedvalue == before.mincodedvalue &&
                 it.maxcodedvalue == before.maxcodedvalue);
    if (row) {
        FUZZ_REQUIRE(status == QUORVEX_SUCCESS);
        FUZZ_REQUIRE(codes_equal(it.missingcodes, row->missingcodes) &&
                     codes_equal(it.maskingcodes, row->maskingcodes) &&
                     codes_equal(it.cloudcodes, row->cloudcodes) &&
                     codes_equal(it.nodatacodes, row->nodatacodes));
        FUZZ_REQUIRE(it.sp1 == row->sp1 && it.sp2 == row->sp2);
        FUZZ_REQUIRE(it.nspecialcodes == row->nspecialcodes);
        FUZZ_REQUIRE(same(it.slope, row->slope) && same(it.intercept, row->intercept));
        return;
    }
    FUZZ_REQUIRE(status == expected_status(10, 31, t));
    FUZZ_REQUIRE(
        codes_all(it.missingcodes, untouched_code) && codes_all(it.maskingcodes, untouched_code) &&
        codes_all(it.cloudcodes, untouched_code) && codes_all(it.nodatacodes, untouched_code));
    FUZZ_REQUIRE(it.sp1 == untouched_code && it.sp2 == untouched_code);
    FUZZ_REQUIRE(it.nspecialcodes == before.nspecialcodes);
    FUZZ_REQUIRE(same(it.slope, untouched) && same(it.intercept, untouched));
}

int16_t check_image_description(const unsigned char *header, const Tables &t, IMAGETYPE &it)
{
    IMAGETYPE before;
    fill_untouched(before);
    std::memcpy(&it, &before, sizeof it);
    const int16_t status =
        _IDAHeaderToIT(header, &it, t.projections.data(), t.spheroids.data(), t.ida_types.data(),
                       static_cast<int16_t>(t.ida_types.size()), t.called_from_outside);

    const int projection = header[offset::projection];
    if (projection == 1 || projection >= 10) {
        FUZZ_REQUIRE(status == expected_status(1, 16, t));
        IMAGETYPE expected;
        std::memcpy(&expected, &before, sizeof expected);
        expected.header.projection = static_cast<int16_t>(projection);
        FUZZ_REQUIRE(std::memcmp(&expected, &it, sizeof it) == 0);
        return status;
    }
    check_spheroid(it.header, before.header, projection, t);
    check_geolocation(it, before, header, projection, t);
    FUZZ_REQUIRE(it.type == -1 && it.header_length == 512 && it.bytesperpixel == 1 &&
                 it.bytesorder == 0);
    FUZZ_REQUIRE(it.ida_type == header[offset::ida_type]);
    FUZZ_REQUIRE(it.rows == read_int16(header, offset::rows));
    FUZZ_REQUIRE(it.columns == read_int16(header, offset::columns));
    check_coding(it, before, header, status, t);
    FUZZ_REQUIRE(_CheckCurrImageParams(&it.header, &it, t.called_from_outside) == QUORVEX_SUCCESS);
    return status;
}

void check_projection_block(const unsigned char *header, const Tables &t,
                            const IMAGETYPE &described)
{
    IMAGETYPE before;
    fill_untouched(before);
    HEADER h;
    std::memcpy(&h, &before.header, sizeof h);
    _CharToHeader(header, &h, t.projections.data());

    const int projection = header[offset::projection];
    FUZZ_REQUIRE(h.projection == projection);
    FUZZ_REQUIRE(same(h.lat_center, r48(header, offset::lat_center)));
    FUZZ_REQUIRE(same(h.lon_center, r48(header, offset::lon_center)));
    if (t.projections[projection].parfalse & 1) {
        FUZZ_REQUIRE(same(h.par1, r48(header, offset::par1)));
        FUZZ_REQUIRE(same(h.par2, r48(header, offset::par2)));
    } else {
        FUZZ_REQUIRE(h.par1 == QUORVEX_NO_VALUE && h.par2 == QUORVEX_NO_VALUE);
    }
    FUZZ_REQUIRE(h.fn == 0.0 && h.fe == 0.0);
    FUZZ_REQUIRE(h.spheroid == before.header.spheroid && h.zone == before.header.zone &&
                 same(h.a, untouched) && same(h.b, untouched));

    // The same bytes read both ways describe the same projection, unless
    // the full reader refused the code or found the image not geolocated.
    const bool comparable = projection != 0 && projection != 1 && projection < 10 &&
                            described.header.projection == projection;
    if (comparable)
        FUZZ_REQUIRE(_CheckCurrImageParams(&h, &described, t.called_from_outside) ==
                     QUORVEX_SUCCESS);
}

// A value as the header writer stores it: magnitudes below 1e-10 become 0.
double as_stored(double value)
{
    return std::fabs(value) < 1e-10 ? 0.0 : value;
}

bool same_stored(double read_back, double original)
{
    return same(read_back, as_stored(original));
}

// A description read from a header, written back and read again, must
// describe the same image: geometry, size, type and coding.
void check_round_trip(const Tables &t, const IMAGETYPE &described)
{
    std::vector<unsigned char> written(QUORVEX_HEADER_SIZE, 0xAA);
    FUZZ_REQUIRE(_IT2IDAHeader(&described, written.data(), t.projections.data()) == 1);
    IMAGETYPE again;
    fill_untouched(again);
    FUZZ_REQUIRE(_IDAHeaderToIT(written.data(), &again, t.projections.data(), t.spheroids.data(),
                                t.ida_types.data(), static_cast<int16_t>(t.ida_types.size()),
                                t.called_from_outside) == QUORVEX_SUCCESS);

    const HEADER &h = described.header;
    FUZZ_REQUIRE(again.header.projection == h.projection);
    FUZZ_REQUIRE(again.rows == described.rows && again.columns == described.columns);
    FUZZ_REQUIRE(again.ida_type == described.ida_type);
    if (h.projection != 0) {
        FUZZ_REQUIRE(same_stored(again.header.lat_center, h.lat_center) &&
                     same_stored(again.header.lon_center, h.lon_center));
        FUZZ_REQUIRE(same_stored(again.header.par1, h.par1) ||
                     (again.header.par1 == QUORVEX_NO_VALUE && h.par1 == QUORVEX_NO_VALUE));
        FUZZ_REQUIRE(same_stored(again.header.par2, h.par2) ||
                     (again.header.par2 == QUORVEX_NO_VALUE && h.par2 == QUORVEX_NO_VALUE));
        FUZZ_REQUIRE(same_stored(again.x_center, described.x_center) &&
                     same_stored(again.y_center, described.y_center));
        FUZZ_REQUIRE(same_stored(again.dx, described.dx) && same_stored(again.dy, described.dy));
    }
    if (described.ida_type == QUORVEX_IDA_TYPE_IN_HEADER) {
        FUZZ_REQUIRE(again.mincodedvalue == described.mincodedvalue &&
                     again.maxcodedvalue == described.maxcodedvalue &&
                     again.missingcodes[0] == described.missingcodes[0]);
        FUZZ_REQUIRE(same_stored(again.slope, described.slope) &&
                     same_stored(again.intercept, described.intercept));
    } else {
        FUZZ_REQUIRE(same(again.slope, described.slope) &&
                     same(again.intercept, described.intercept));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t header_bytes = std::min(size, static_cast<size_t>(QUORVEX_HEADER_SIZE));
    std::vector<unsigned char> header(QUORVEX_HEADER_SIZE, 0);
    std::memcpy(header.data(), data, header_bytes);
    ByteSource in(data + header_bytes, size - header_bytes);
    const Tables tables = make_tables(in);

    IMAGETYPE described;
    const int16_t status = check_image_description(header.data(), tables, described);
    check_projection_block(header.data(), tables, described);
    if (status == QUORVEX_SUCCESS)
        check_round_trip(tables, described);
    return 0;
}
