// Reading IDA header bytes into IMAGETYPE and comparing projection blocks.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

using description::describe;
using description::Header;
using description::put;
using description::put_r48;
using description::worked_header;

IMAGETYPE filled_with(unsigned char byte)
{
    IMAGETYPE it;
    std::memset(&it, byte, sizeof it);
    return it;
}

// The worked header as read into a record filled with 0x5A: zone, axes and
// (from an IDA type of the caller's table) the coded range are not written.
const std::string worked_projection = "proj=3 sph=0 zone=23130 a=0x5a5a5a5a5a5a5a5a "
                                      "b=0x5a5a5a5a5a5a5a5a centre=45,10 par=-99999,-99999 fe=0 "
                                      "fn=0 | units=0 x=100 y=50 dx=10 dy=10 | type=-1 ida=";
const std::string worked = worked_projection + "200 100x200 hl=512 bpp=1 order=0 coded=0..250 "
                                               "255,-,-,-,-,-,-,-,-,- -,-,-,-,-,-,-,-,-,- "
                                               "-,-,-,-,-,-,-,-,-,- -,-,-,-,-,-,-,-,-,- "
                                               "sp=-99999,-99999 n=1 law=0.5,-10";

// Every field of the record read from the worked header, and from the same
// header naming type 12 of the caller's table, whose coding then replaces the
// header's (all but the range of coded values).
TEST(IdaHeaderRead, WorkedHeaderAndCodingFromTheTypeTable)
{
    const description::Tables t;
    IMAGETYPE it = filled_with(0x5A);
    ASSERT_EQ(t.read(worked_header(), &it), QUORVEX_SUCCESS);
    EXPECT_EQ(describe(it), worked);
    Header h = worked_header();
    h[22] = 12;
    it = filled_with(0x5A);
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    EXPECT_EQ(describe(it), worked_projection +
                                "12 100x200 hl=512 bpp=1 order=0 coded=1515870810..1515870810 "
                                "100,101,102,103,104,105,106,107,108,109 "
                                "200,201,202,203,204,205,206,207,208,209 "
                                "300,301,302,303,304,305,306,307,308,309 "
                                "400,401,402,403,404,405,406,407,408,409 sp=11,22 n=4 "
                                "law=0.25,-3");

    h[22] = 99; // unknown: coding kept, the rest filled
    it = IMAGETYPE{};
    it.slope = 7.0;
    EXPECT_EQ(t.read(h, &it, 0), QUORVEX_MSG_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(t.read(h, &it, 1), QUORVEX_NERR_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(describe(it), "proj=3 sph=0 zone=0 a=0 b=0 centre=45,10 par=-99999,-99999 fe=0 fn=0 "
                            "| units=0 x=100 y=50 dx=10 dy=10 | type=-1 ida=99 100x200 hl=512 "
                            "bpp=1 order=0 coded=0..0 0,0,0,0,0,0,0,0,0,0 0,0,0,0,0,0,0,0,0,0 "
                            "0,0,0,0,0,0,0,0,0,0 0,0,0,0,0,0,0,0,0,0 sp=0,0 n=0 law=7,0");

    description::Tables row200; // a table row 200 does not hide the header's own coding
    row200.types[0] = row200.types[1];
    row200.types[0].code = 200;
    it = filled_with(0x5A);
    ASSERT_EQ(row200.read(worked_header(), &it), QUORVEX_SUCCESS);
    EXPECT_EQ(describe(it), worked);
}

TEST(IdaHeaderRead, SpheroidAndParallelsFollowTheProjection)
{
    const struct {
        unsigned char projection;
        int16_t spheroid;
        double a, b, par1;
    } cases[] = {
        {2, 0, -1, -2, QUORVEX_NO_VALUE},
        {3, 0, -1, -2, QUORVEX_NO_VALUE},
        {4, 1, 6379, 6357, 33},
        {8, 1, 6379, 6357, 33},
        {5, 13, 6378.155, 6356.7518, QUORVEX_NO_VALUE},
        {6, 12, 6390, 6368, QUORVEX_NO_VALUE},
        {9, 12, 6390, 6368, QUORVEX_NO_VALUE},
        {7, 4, 6382, 6360, QUORVEX_NO_VALUE},
    };
    const description::Tables t;
    for (const auto &c : cases) {
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
    const description::Tables t;
    Header h = worked_header();
    h[23] = 0;
    IMAGETYPE it = filled_with(0x11);
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    const std::string x = "0x1111111111111111"; // as the caller left it
    EXPECT_EQ(describe(it), "proj=0 sph=0 zone=4369 a=" + x + " b=" + x + " centre=" + x + "," + x +
                                " par=" + x + "," + x + " fe=" + x + " fn=" + x +
                                " | units=4369 x=" + x + " y=" + x + " dx=" + x + " dy=" + x +
                                worked.substr(worked.find(" | type=")));

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

// Refused projection codes write the code and nothing else; sizes are
// signed.
TEST(IdaHeaderRead, RefusedProjectionCodesAndSignedSizes)
{
    const description::Tables t;
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
    Header h = worked_header();
    put(h, 30, {0xFF, 0xFF, 0x00, 0x80});
    IMAGETYPE it{};
    ASSERT_EQ(t.read(h, &it), QUORVEX_SUCCESS);
    EXPECT_EQ(it.rows, -1);
    EXPECT_EQ(it.columns, -32768);
}

// Only the projection block is read, with no range test on the code: any row
// of the caller's table.
TEST(CharToHeader, ReadsOnlyTheProjectionBlock)
{
    const description::Tables t;
    Header h = worked_header();
    h[23] = 8;
    put_r48(h, 156, 20.0);
    put_r48(h, 162, 60.0);
    HEADER hdr;
    std::memset(&hdr, 0x44, sizeof hdr);
    _CharToHeader(h.data(), &hdr, t.projections.data());
    const std::string untouched = "sph=17476 zone=17476 a=0x4444444444444444 b=0x4444444444444444";
    EXPECT_EQ(describe(hdr), "proj=8 " + untouched + " centre=45,10 par=20,60 fe=0 fn=0");
    h[23] = 250;
    _CharToHeader(h.data(), &hdr, t.projections.data());
    EXPECT_EQ(describe(hdr), "proj=250 " + untouched + " centre=45,10 par=-99999,-99999 fe=0 fn=0");
}

TEST(CheckCurrImageParams, FirstDifferenceWins)
{
    IMAGETYPE it{};
    it.header = {4, 0, 0, 0, 0, 45.0, 10.0, 30.0, 60.0, 0, 0};
    // The compared header: the record's with up to two fields set, then the
    // statuses for a local and an outside caller.
    const double none = QUORVEX_NO_VALUE;
    const struct {
        double HEADER::*field;
        double value;
        double HEADER::*field2;
        double value2;
        int16_t local, outside;
    } cases[] = {
        {nullptr, 0, nullptr, 0, 100, 100},
        {&HEADER::par1, none, &HEADER::par2, none, 8, 26},
        {&HEADER::lat_center, 0, nullptr, 0, 6, 24}, // projection 8: see below
        {&HEADER::lat_center, 45.0 + 0.000009, nullptr, 0, 100, 100},
        {&HEADER::lat_center, 45.0 - 0.000009, nullptr, 0, 100, 100},
        {&HEADER::lat_center, 45.0 + 0.000011, nullptr, 0, 7, 25},
        {&HEADER::lat_center, 45.0 - 0.000011, nullptr, 0, 7, 25},
        {&HEADER::lon_center, 10.0 - 0.000011, &HEADER::par1, 0, 7, 25},
        {&HEADER::par1, 30.0 + 0.000011, &HEADER::fe, 1, 8, 26},
        {&HEADER::par2, 60.0 - 0.000011, nullptr, 0, 8, 26},
        {&HEADER::fe, 0.000011, nullptr, 0, 9, 27},
        {&HEADER::fn, -0.000011, nullptr, 0, 9, 27},
        {&HEADER::fn, 0.000009, nullptr, 0, 100, 100},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        HEADER h = it.header;
        if (c.local == 6)
            h.projection = 8;
        if (c.field != nullptr)
            h.*c.field = c.value;
        if (c.field2 != nullptr)
            h.*c.field2 = c.value2;
        EXPECT_EQ(_CheckCurrImageParams(&h, &it, 0), c.local);
        EXPECT_EQ(_CheckCurrImageParams(&h, &it, 1), c.outside);
    }
    it.header.par1 = it.header.par2 = QUORVEX_NO_VALUE; // none on both sides: equal
    HEADER h = it.header;
    EXPECT_EQ(_CheckCurrImageParams(&h, &it, 1), QUORVEX_SUCCESS);
}

} // namespace
