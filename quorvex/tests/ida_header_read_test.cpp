// Reading IDA header bytes into IMAGETYPE and comparing projection blocks.
#include "image_description_fixtures.h"
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

namespace {

using description::Header;
using description::put;
using description::put_r48;
using description::worked_header;

// Tables of its own: distinct spheroid rows and a fully coded table type,
// so every copied value can be told apart.
struct Tables {
    std::vector<PROJITEM> projections = std::vector<PROJITEM>(256);
    std::vector<SFEROID> spheroids = std::vector<SFEROID>(14);
    std::vector<IDATYPE> types = std::vector<IDATYPE>(2);

    Tables()
    {
        for (int i = 0; i < 256; ++i)
            projections[i].proj = static_cast<int16_t>(i);
        projections[4].parfalse = 1;  // conic: two standard parallels
        projections[8].parfalse = 1;
        for (int i = 0; i < 14; ++i) {
            spheroids[i].a = 6378.0 + i;
            spheroids[i].b = 6356.0 + i;
        }
        types[0].code = 7;
        types[1].code = 12;
        types[1].mincodedvalue = 3;
        types[1].maxcodedvalue = 250;
        for (int i = 0; i < 10; ++i) {
            types[1].missingcodes[i] = 100 + i;
            types[1].maskingcodes[i] = 200 + i;
            types[1].cloudcodes[i] = 300 + i;
            types[1].nodatacodes[i] = 400 + i;
        }
        types[1].sp1 = 11;
        types[1].sp2 = 22;
        types[1].nspecialcodes = 4;
        types[1].slope = 0.004;
        types[1].intercept = -0.2;
    }

    int16_t read(const Header &h, IMAGETYPE *it, int outside = 0) const
    {
        return _IDAHeaderToIT(h.data(), it, projections.data(), spheroids.data(),
                              types.data(), static_cast<int16_t>(types.size()), outside);
    }
};

IMAGETYPE filled_with(unsigned char byte)
{
    IMAGETYPE it;
    std::memset(&it, byte, sizeof it);
    return it;
}

TEST(IdaHeaderRead, WorkedHeader)
{
    Tables t;
    IMAGETYPE it = filled_with(0x5A);
    ASSERT_EQ(t.read(worked_header(), &it), 100);
    EXPECT_EQ(it.header.projection, 3);
    EXPECT_EQ(it.header.spheroid, 0);
    EXPECT_EQ(it.header.lat_center, 45.0);
    EXPECT_EQ(it.header.lon_center, 10.0);
    EXPECT_EQ(it.header.par1, -99999.0);
    EXPECT_EQ(it.header.par2, -99999.0);
    EXPECT_EQ(it.header.fn, 0.0);
    EXPECT_EQ(it.header.fe, 0.0);
    EXPECT_EQ(it.ul_units, 0);
    EXPECT_EQ(it.x_center, 100.0);
    EXPECT_EQ(it.y_center, 50.0);
    EXPECT_EQ(it.dx, 10.0);
    EXPECT_EQ(it.dy, 10.0);
    EXPECT_EQ(it.type, -1);
    EXPECT_EQ(it.ida_type, 200);
    EXPECT_EQ(it.rows, 100);
    EXPECT_EQ(it.columns, 200);
    EXPECT_EQ(it.header_length, 512);
    EXPECT_EQ(it.bytesperpixel, 1);
    EXPECT_EQ(it.bytesorder, 0);
    EXPECT_EQ(it.mincodedvalue, 0);
    EXPECT_EQ(it.maxcodedvalue, 250);
    EXPECT_EQ(it.missingcodes[0], 255);
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(it.missingcodes[i], -99999);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(it.maskingcodes[i], -99999);
        EXPECT_EQ(it.cloudcodes[i], -99999);
        EXPECT_EQ(it.nodatacodes[i], -99999);
    }
    EXPECT_EQ(it.sp1, -99999);
    EXPECT_EQ(it.sp2, -99999);
    EXPECT_EQ(it.slope, 0.5);
    EXPECT_EQ(it.intercept, -10.0);
    EXPECT_EQ(it.nspecialcodes, 1);
}

TEST(IdaHeaderRead, SpheroidChosenByProjection)
{
    struct Case {
        unsigned char projection;
        int16_t spheroid;
        double a, b;
    };
    const Case cases[] = {
        {2, 0, -1.0, -2.0}, {3, 0, -1.0, -2.0},        {4, 1, 6379.0, 6357.0},
        {8, 1, 6379.0, 6357.0}, {5, 13, 6378.155, 6356.7518}, {6, 12, 6390.0, 6368.0},
        {9, 12, 6390.0, 6368.0}, {7, 4, 6382.0, 6360.0},
    };
    Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.projection));
        Header h = worked_header();
        h[23] = c.projection;
        IMAGETYPE it{};
        it.header.a = -1.0;
        it.header.b = -2.0;
        ASSERT_EQ(t.read(h, &it), 100);
        EXPECT_EQ(it.header.projection, c.projection);
        EXPECT_EQ(it.header.spheroid, c.spheroid);
        EXPECT_EQ(it.header.a, c.a);
        EXPECT_EQ(it.header.b, c.b);
    }
}

TEST(IdaHeaderRead, ParallelsOnlyWhenTheProjectionHasThem)
{
    Tables t;
    Header h = worked_header();
    h[23] = 4;
    put_r48(h, 156, 33.0);
    put_r48(h, 162, 45.5);
    IMAGETYPE it{};
    ASSERT_EQ(t.read(h, &it), 100);
    EXPECT_EQ(it.header.par1, 33.0);
    EXPECT_EQ(it.header.par2, 45.5);

    h[23] = 7;
    ASSERT_EQ(t.read(h, &it), 100);
    EXPECT_EQ(it.header.par1, -99999.0);
    EXPECT_EQ(it.header.par2, -99999.0);
}

TEST(IdaHeaderRead, ProjectionZeroLeavesGeolocationAlone)
{
    Tables t;
    Header h = worked_header();
    h[23] = 0;
    IMAGETYPE it = filled_with(0x11);
    const IMAGETYPE before = it;
    ASSERT_EQ(t.read(h, &it), 100);
    EXPECT_EQ(it.header.projection, 0);
    EXPECT_EQ(it.header.spheroid, 0);
    EXPECT_EQ(std::memcmp(&it.header.a, &before.header.a,
                          sizeof(HEADER) - offsetof(HEADER, a)), 0);
    EXPECT_EQ(it.ul_units, before.ul_units);
    EXPECT_EQ(std::memcmp(&it.dx, &before.dx, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&it.dy, &before.dy, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&it.x_center, &before.x_center, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&it.y_center, &before.y_center, sizeof(double)), 0);
    EXPECT_EQ(it.rows, 100);
    EXPECT_EQ(it.slope, 0.5);
}

TEST(IdaHeaderRead, TinyScaleMeansNotGeolocated)
{
    Tables t;
    for (int at : {144, 150}) {
        for (double scale : {0.0, 9.9e-8, -9.9e-8}) {
            SCOPED_TRACE(at);
            Header h = worked_header();
            put_r48(h, at, scale);
            IMAGETYPE it{};
            ASSERT_EQ(t.read(h, &it), 100);
            EXPECT_EQ(it.header.projection, 0);
            EXPECT_EQ(it.header.lat_center, 45.0);
            EXPECT_EQ(it.header.lon_center, 10.0);
            EXPECT_EQ(it.x_center, 100.0);
            EXPECT_EQ(at == 144 ? it.dy : it.dx, 10.0);
        }
    }
    Header h = worked_header();
    put_r48(h, 144, 1.1e-7);
    IMAGETYPE it{};
    ASSERT_EQ(t.read(h, &it), 100);
    EXPECT_EQ(it.header.projection, 3);
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
        EXPECT_EQ(t.read(h, &it, 0), 1);
        EXPECT_EQ(it.header.projection, code);
        before.header.projection = it.header.projection;
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0) << "only the code is written";
        EXPECT_EQ(t.read(h, &it, 1), 16);
    }
}

TEST(IdaHeaderRead, TableTypeIgnoresCodingBytes)
{
    Tables t;
    Header h = worked_header();
    h[22] = 12;
    IMAGETYPE it{};
    it.mincodedvalue = -5;
    it.maxcodedvalue = -6;
    ASSERT_EQ(t.read(h, &it), 100);
    EXPECT_EQ(it.ida_type, 12);
    EXPECT_EQ(it.slope, 0.004);
    EXPECT_EQ(it.intercept, -0.2);
    EXPECT_EQ(it.missingcodes[9], 109);
    EXPECT_EQ(it.maskingcodes[0], 200);
    EXPECT_EQ(it.cloudcodes[5], 305);
    EXPECT_EQ(it.nodatacodes[3], 403);
    EXPECT_EQ(it.sp1, 11);
    EXPECT_EQ(it.sp2, 22);
    EXPECT_EQ(it.nspecialcodes, 4);
    // The table's coded range is not copied.
    EXPECT_EQ(it.mincodedvalue, -5);
    EXPECT_EQ(it.maxcodedvalue, -6);
}

TEST(IdaHeaderRead, UnknownTypeKeepsCodingButFillsTheRest)
{
    Tables t;
    Header h = worked_header();
    h[22] = 99;
    IMAGETYPE it{};
    it.slope = 7.0;
    it.missingcodes[0] = 42;
    EXPECT_EQ(t.read(h, &it, 0), 10);
    EXPECT_EQ(t.read(h, &it, 1), 31);
    EXPECT_EQ(it.slope, 7.0);
    EXPECT_EQ(it.missingcodes[0], 42);
    EXPECT_EQ(it.rows, 100);
    EXPECT_EQ(it.columns, 200);
    EXPECT_EQ(it.x_center, 100.0);
    EXPECT_EQ(it.ida_type, 99);
}

TEST(IdaHeaderRead, TypeTwoHundredInTheTableStillReadsTheHeader)
{
    Tables t;
    t.types[0].code = 200;
    t.types[0].slope = 3.0;
    t.types[0].maskingcodes[0] = 77;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(worked_header(), &it), 100);
    EXPECT_EQ(it.slope, 0.5);
    EXPECT_EQ(it.maskingcodes[0], -99999);
}

TEST(IdaHeaderRead, SizesAreSigned)
{
    Tables t;
    Header h = worked_header();
    put(h, 30, {0xFF, 0xFF, 0x00, 0x80});
    IMAGETYPE it{};
    ASSERT_EQ(t.read(h, &it), 100);
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
    EXPECT_EQ(hdr.projection, 8);
    EXPECT_EQ(hdr.lat_center, 45.0);
    EXPECT_EQ(hdr.lon_center, 10.0);
    EXPECT_EQ(hdr.par1, 20.0);
    EXPECT_EQ(hdr.par2, 60.0);
    EXPECT_EQ(hdr.fn, 0.0);
    EXPECT_EQ(hdr.fe, 0.0);
    EXPECT_EQ(hdr.spheroid, before.spheroid);
    EXPECT_EQ(hdr.zone, before.zone);
    EXPECT_EQ(std::memcmp(&hdr.a, &before.a, sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(&hdr.b, &before.b, sizeof(double)), 0);

    h[23] = 250;  // no range test: any row of the caller's table
    _CharToHeader(h.data(), &hdr, t.projections.data());
    EXPECT_EQ(hdr.projection, 250);
    EXPECT_EQ(hdr.par1, -99999.0);
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
        {"projection", [](HEADER &h) { h.projection = 8; h.lat_center = 0; }, 6, 24},
        {"lat +0.000009", [](HEADER &h) { h.lat_center += 0.000009; }, 100, 100},
        {"lat -0.000009", [](HEADER &h) { h.lat_center -= 0.000009; }, 100, 100},
        {"lat +0.000011", [](HEADER &h) { h.lat_center += 0.000011; }, 7, 25},
        {"lat -0.000011", [](HEADER &h) { h.lat_center -= 0.000011; }, 7, 25},
        {"lon", [](HEADER &h) { h.lon_center -= 0.000011; h.par1 = 0; }, 7, 25},
        {"par1", [](HEADER &h) { h.par1 += 0.000011; h.fe = 1; }, 8, 26},
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
}

TEST(CheckCurrImageParams, NoParallelsOnBothSidesCompareEqual)
{
    IMAGETYPE it{};
    it.header.projection = 3;
    it.header.par1 = it.header.par2 = -99999.0;
    HEADER h = it.header;
    EXPECT_EQ(_CheckCurrImageParams(&h, &it, 1), 100);
}

} // namespace
