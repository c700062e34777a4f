// Reading IDA header bytes into IMAGETYPE and comparing projection blocks.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

using description::Header;
using description::put;
using description::put_r48;
using description::worked_header;

// The shared tables made distinct: spheroid rows differ, and table type 12
// is fully coded, so every copied value can be told apart.
struct Tables : description::Tables {
    Tables()
    {
        for (int i = 0; i < 14; ++i) {
            spheroids[i].a = 6378.0 + i;
            spheroids[i].b = 6356.0 + i;
        }
        IDATYPE &t = types[1];
        t.mincodedvalue = 3;
        t.maxcodedvalue = 250;
        for (int i = 0; i < 10; ++i) {
            t.maskingcodes[i] = 200 + i;
            t.cloudcodes[i] = 300 + i;
            t.nodatacodes[i] = 400 + i;
        }
        t.sp1 = 11;
        t.sp2 = 22;
        t.nspecialcodes = 4;
        t.slope = 0.004;
        t.intercept = -0.2;
    }
    int16_t read(const Header &h, IMAGETYPE *it, int outside = 0) const
    {
        return _IDAHeaderToIT(h.data(), it, projections.data(), spheroids.data(), types.data(),
                              static_cast<int16_t>(types.size()), outside);
    }
};

// A field as read and as expected, compared as doubles.
struct Field {
    template <class A, class E>
    Field(A a, E e) : actual(static_cast<double>(a)), expected(static_cast<double>(e))
    {
    }
    double actual, expected;
};

IMAGETYPE filled_with(unsigned char byte)
{
    IMAGETYPE it;
    std::memset(&it, byte, sizeof it);
    return it;
}

// Every field of the record read from the worked header; code lists are
// checked through their first and last slot.
TEST(IdaHeaderRead, WorkedHeader)
{
    Tables t;
    IMAGETYPE it = filled_with(0x5A);
    ASSERT_EQ(t.read(worked_header(), &it), QUORVEX_SUCCESS);
    const HEADER &h = it.header;
    const Field fields[] = {
        {h.projection, 3},
        {h.spheroid, 0},
        {h.lat_center, 45},
        {h.lon_center, 10},
        {h.par1, QUORVEX_NO_VALUE},
        {h.par2, QUORVEX_NO_VALUE},
        {h.fn, 0},
        {h.fe, 0},
        {it.ul_units, 0},
        {it.x_center, 100},
        {it.y_center, 50},
        {it.dx, 10},
        {it.dy, 10},
        {it.type, -1},
        {it.ida_type, 200},
        {it.rows, 100},
        {it.columns, 200},
        {it.header_length, 512},
        {it.bytesperpixel, 1},
        {it.bytesorder, 0},
        {it.mincodedvalue, 0},
        {it.maxcodedvalue, 250},
        {it.missingcodes[0], 255},
        {it.missingcodes[1], QUORVEX_NO_VALUE},
        {it.missingcodes[9], QUORVEX_NO_VALUE},
        {it.maskingcodes[0], QUORVEX_NO_VALUE},
        {it.maskingcodes[9], QUORVEX_NO_VALUE},
        {it.cloudcodes[0], QUORVEX_NO_VALUE},
        {it.cloudcodes[9], QUORVEX_NO_VALUE},
        {it.nodatacodes[0], QUORVEX_NO_VALUE},
        {it.nodatacodes[9], QUORVEX_NO_VALUE},
        {it.sp1, QUORVEX_NO_VALUE},
        {it.sp2, QUORVEX_NO_VALUE},
        {it.slope, 0.5},
        {it.intercept, -10},
        {it.nspecialcodes, 1},
    };
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].actual, fields[i].expected) << "field #" << i;
}

TEST(IdaHeaderRead, SpheroidAndParallelsFollowTheProjection)
{
    struct Case {
        unsigned char projection;
        int16_t spheroid;
        double a, b, par1;
    };
    const Case cases[] = {
        {2, 0, -1, -2, QUORVEX_NO_VALUE},
        {3, 0, -1, -2, QUORVEX_NO_VALUE},
        {4, 1, 6379, 6357, 33},
        {8, 1, 6379, 6357, 33},
        {5, 13, 6378.155, 6356.7518, QUORVEX_NO_VALUE},
        {6, 12, 6390, 6368, QUORVEX_NO_VALUE},
        {9, 12, 6390, 6368, QUORVEX_NO_VALUE},
        {7, 4, 6382, 6360, QUORVEX_NO_VALUE},
    };
    Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.projection));
        Header h = worked_header();
        h[23] = c.projection;
        put_r48(h, 156, 33.0);
        put_r48(h, 162, 45.5);
        IMAGETYPE it{};
        it.header.a = -1.0;
        it.header.b = -2.0;
        ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
        EXPECT_EQ(it.header.projection, c.projection);
        EXPECT_EQ(it.header.spheroid, c.spheroid);
        EXPECT_EQ(it.header.a, c.a);
        EXPECT_EQ(it.header.b, c.b);
        EXPECT_EQ(it.header.par1, c.par1);
        EXPECT_EQ(it.header.par2, c.par1 == 33 ? 45.5 : QUORVEX_NO_VALUE);
    }
}

// Projection 0, or a scale too small to mean anything, leaves the caller's
// geolocation as it was.
TEST(IdaHeaderRead, NotGeolocatedLeavesGeolocationAlone)
{
    Tables t;
    Header h = worked_header();
    h[23] = 0;
    IMAGETYPE it = filled_with(0x11);
    const IMAGETYPE before = it;
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    EXPECT_EQ(it.header.projection, 0);
    EXPECT_EQ(it.header.spheroid, 0);
    EXPECT_EQ(std::memcmp(&it.header.a, &before.header.a, sizeof(HEADER) - offsetof(HEADER, a)), 0);
    EXPECT_EQ(it.ul_units, before.ul_units);
    for (std::size_t at : {offsetof(IMAGETYPE, dx), offsetof(IMAGETYPE, dy),
                           offsetof(IMAGETYPE, x_center), offsetof(IMAGETYPE, y_center)})
        EXPECT_EQ(std::memcmp(reinterpret_cast<const char *>(&it) + at,
                              reinterpret_cast<const char *>(&before) + at, sizeof(double)),
                  0);
    EXPECT_EQ(it.rows, 100);
    EXPECT_EQ(it.slope, 0.5);

    for (int at : {144, 150}) {
        for (double scale : {0.0, 9.9e-8, -9.9e-8, 1.1e-7}) {
            SCOPED_TRACE(std::to_string(at) + " " + std::to_string(scale));
            h = worked_header();
            put_r48(h, at, scale);
            it = IMAGETYPE{};
            ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
            EXPECT_EQ(it.header.projection, scale > 1e-7 ? 3 : 0);
            EXPECT_EQ(it.header.lat_center, 45.0);
            EXPECT_EQ(it.x_center, 100.0);
            EXPECT_EQ(at == 144 ? it.dy : it.dx, 10.0);
        }
    }
}

TEST(IdaHeaderRead, RefusedProjectionCodes)
{
    Tables t;
    for (int code : {1, 10, 11, 200, 255}) {
        SCOPED_TRACE(code);
        Header h = worked_header();
        h[23] = static_cast<unsigned char>(code);
        IMAGETYPE it = filled_with(0x33);
        IMAGETYPE before = it;
        EXPECT_EQ(t.read(h, &it, 0), QUORVEX_MSG_PROJECTION_UNKNOWN);
        EXPECT_EQ(it.header.projection, code);
        before.header.projection = it.header.projection;
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0) << "only the code is written";
        EXPECT_EQ(t.read(h, &it, 1), QUORVEX_NERR_PROJECTION_UNKNOWN);
    }
}

TEST(IdaHeaderRead, CodingFromTheTypeTable)
{
    Tables t;
    Header h = worked_header();
    h[22] = 12;
    IMAGETYPE it{};
    it.mincodedvalue = -5;
    it.maxcodedvalue = -6;
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    const Field fields[] = {
        {it.ida_type, 12},
        {it.slope, 0.004},
        {it.intercept, -0.2},
        {it.missingcodes[9], 109},
        {it.maskingcodes[0], 200},
        {it.cloudcodes[5], 305},
        {it.nodatacodes[3], 403},
        {it.sp1, 11},
        {it.sp2, 22},
        {it.nspecialcodes, 4},
        {it.mincodedvalue, -5},
        {it.maxcodedvalue, -6}, // the table's range is not copied
    };
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].actual, fields[i].expected) << "field #" << i;

    h[22] = 99; // unknown: coding kept, the rest filled
    it = IMAGETYPE{};
    it.slope = 7.0;
    EXPECT_EQ(t.read(h, &it, 0), QUORVEX_MSG_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(t.read(h, &it, 1), QUORVEX_NERR_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(it.slope, 7.0);
    EXPECT_EQ(it.columns, 200);
    EXPECT_EQ(it.x_center, 100.0);
    EXPECT_EQ(it.ida_type, 99);

    t.types[0].code = 200; // a table row 200 does not hide the header's own coding
    t.types[0].slope = 3.0;
    t.types[0].maskingcodes[0] = 77;
    ASSERT_EQ(t.read(worked_header(), &it), QUORVEX_SUCCESS);
    EXPECT_EQ(it.slope, 0.5);
    EXPECT_EQ(it.maskingcodes[0], QUORVEX_NO_VALUE);
}

TEST(IdaHeaderRead, SizesAreSigned)
{
    Tables t;
    Header h = worked_header();
    put(h, 30, {0xFF, 0xFF, 0x00, 0x80});
    IMAGETYPE it{};
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    EXPECT_EQ(it.rows, -1);
    EXPECT_EQ(it.columns, -32768);
}

TEST(CharToHeader, ReadsOnlyTheProjectionBlock)
{
    Tables t;
    Header h = worked_header();
    h[23] = 8;
    put_r48(h, 156, 20.0);
    put_r48(h, 162, 60.0);
    HEADER hdr;
    std::memset(&hdr, 0x44, sizeof hdr);
    const HEADER before = hdr;
    _CharToHeader(h.data(), &hdr, t.projections.data());
    const Field fields[] = {
        {hdr.projection, 8},
        {hdr.lat_center, 45},
        {hdr.lon_center, 10},
        {hdr.par1, 20},
        {hdr.par2, 60},
        {hdr.fn, 0},
        {hdr.fe, 0},
        {hdr.spheroid, before.spheroid},
        {hdr.zone, before.zone},
    };
    for (std::size_t i = 0; i < std::size(fields); ++i)
        EXPECT_EQ(fields[i].actual, fields[i].expected) << "field #" << i;
    EXPECT_EQ(std::memcmp(&hdr.a, &before.a, 2 * sizeof(double)), 0);

    h[23] = 250; // no range test: any row of the caller's table
    _CharToHeader(h.data(), &hdr, t.projections.data());
    EXPECT_EQ(hdr.projection, 250);
    EXPECT_EQ(hdr.par1, QUORVEX_NO_VALUE);
}

TEST(CheckCurrImageParams, FirstDifferenceWins)
{
    IMAGETYPE it{};
    it.header.projection = 4;
    it.header.lat_center = 45.0;
    it.header.lon_center = 10.0;
    it.header.par1 = 30.0;
    it.header.par2 = 60.0;

    struct Case {
        const char *what;
        void (*change)(HEADER &);
        int16_t local, outside;
    };
    const Case cases[] = {
        {"same", [](HEADER &) {}, 100, 100},
        {"no parallels", [](HEADER &h) { h.par1 = h.par2 = QUORVEX_NO_VALUE; }, 8, 26},
        {"projection",
         [](HEADER &h) {
             h.projection = 8;
             h.lat_center = 0;
         },
         6, 24},
        {"lat +0.000009", [](HEADER &h) { h.lat_center += 0.000009; }, 100, 100},
        {"lat -0.000009", [](HEADER &h) { h.lat_center -= 0.000009; }, 100, 100},
        {"lat +0.000011", [](HEADER &h) { h.lat_center += 0.000011; }, 7, 25},
        {"lat -0.000011", [](HEADER &h) { h.lat_center -= 0.000011; }, 7, 25},
        {"lon",
         [](HEADER &h) {
             h.lon_center -= 0.000011;
             h.par1 = 0;
         },
         7, 25},
        {"par1",
         [](HEADER &h) {
             h.par1 += 0.000011;
             h.fe = 1;
         },
         8, 26},
        {"par2", [](HEADER &h) { h.par2 -= 0.000011; }, 8, 26},
        {"fe", [](HEADER &h) { h.fe = 0.000011; }, 9, 27},
        {"fn", [](HEADER &h) { h.fn = -0.000011; }, 9, 27},
        {"fn inside", [](HEADER &h) { h.fn = 0.000009; }, 100, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        HEADER h = it.header;
        c.change(h);
        EXPECT_EQ(_CheckCurrImageParams(&h, &it, 0), c.local);
        EXPECT_EQ(_CheckCurrImageParams(&h, &it, 1), c.outside);
    }
    it.header.par1 = it.header.par2 = QUORVEX_NO_VALUE; // none on both sides: equal
    HEADER h = it.header;
    EXPECT_EQ(_CheckCurrImageParams(&h, &it, 1), QUORVEX_SUCCESS);
}

} // namespace
