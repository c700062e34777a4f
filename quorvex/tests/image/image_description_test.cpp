// Image descriptions and their header bytes: reading IDA headers into
// IMAGETYPE, comparing projection blocks, writing headers back, and checking
// a list of IDA files against the first one (statuses, the order and
// tolerances of the comparisons, and the message texts).
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using description::describe;
using description::Header;
using description::put_r48;
using description::r48;
using description::Tables;
using description::TempDir;
using description::worked_header;

// The caller's tables, shared by every test: reading and writing never
// change them.
const Tables tables;

IMAGETYPE filled_with(unsigned char byte)
{
    IMAGETYPE it;
    std::memset(&it, byte, sizeof it);
    return it;
}

// The worked header with edits, each written AT=BYTE (one byte), AT:VALUE
// (the 6-byte real at AT set) or AT+DELTA (that real moved by DELTA).
Header edited(const std::string &edits)
{
    Header h = worked_header();
    std::istringstream in(edits);
    int at;
    char how;
    double v;
    while (in >> at >> how >> v) {
        if (how == '=')
            h[at] = static_cast<unsigned char>(v);
        else
            put_r48(h, at, (how == '+' ? r48(h, at) : 0.0) + v);
    }
    EXPECT_TRUE(in.eof()) << "unreadable edit in \"" << edits << "\"";
    return h;
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
    IMAGETYPE it = filled_with(0x5A);
    ASSERT_EQ(tables.read(worked_header(), &it), QUORVEX_SUCCESS);
    EXPECT_EQ(describe(it), worked);
    Header h = edited("22=12");
    it = filled_with(0x5A);
    ASSERT_EQ(tables.read(h, &it), QUORVEX_SUCCESS);
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
    EXPECT_EQ(tables.read(h, &it, 0), QUORVEX_MSG_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(tables.read(h, &it, 1), QUORVEX_NERR_IDA_TYPE_UNKNOWN);
    EXPECT_EQ(describe(it), "proj=3 sph=0 zone=0 a=0 b=0 centre=45,10 par=-99999,-99999 fe=0 fn=0 "
                            "| units=0 x=100 y=50 dx=10 dy=10 | type=-1 ida=99 100x200 hl=512 "
                            "bpp=1 order=0 coded=0..0 0,0,0,0,0,0,0,0,0,0 0,0,0,0,0,0,0,0,0,0 "
                            "0,0,0,0,0,0,0,0,0,0 0,0,0,0,0,0,0,0,0,0 sp=0,0 n=0 law=7,0");

    Tables row200; // a table row 200 does not hide the header's own coding
    row200.types[0] = row200.types[1];
    row200.types[0].code = 200;
    it = filled_with(0x5A);
    ASSERT_EQ(row200.read(worked_header(), &it), QUORVEX_SUCCESS);
    EXPECT_EQ(describe(it), worked);
}

// The spheroid and its axes come from the caller's table (the fixed one of
// the geostationary view, 13, for projection 5), else the caller's axes stay;
// parallels (33 and 45.5 in the header) only for the conics.
TEST(IdaHeaderRead, SpheroidAndParallelsFollowTheProjection)
{
    const std::pair<unsigned char, const char *> cases[] = {
        {2, "sph=0 zone=0 a=-1 b=-2 centre=45,10 par=-99999,-99999"},
        {3, "sph=0 zone=0 a=-1 b=-2 centre=45,10 par=-99999,-99999"},
        {4, "sph=1 zone=0 a=6379 b=6357 centre=45,10 par=33,45.5"},
        {8, "sph=1 zone=0 a=6379 b=6357 centre=45,10 par=33,45.5"},
        {5, "sph=13 zone=0 a=6378.1549999999997 b=6356.7518 centre=45,10 par=-99999,-99999"},
        {6, "sph=12 zone=0 a=6390 b=6368 centre=45,10 par=-99999,-99999"},
        {9, "sph=12 zone=0 a=6390 b=6368 centre=45,10 par=-99999,-99999"},
        {7, "sph=4 zone=0 a=6382 b=6360 centre=45,10 par=-99999,-99999"},
    };
    for (const auto &[projection, header] : cases) {
        const Header h = edited("23=" + std::to_string(projection) + " 156:33 162:45.5");
        IMAGETYPE it{};
        it.header.a = -1.0;
        it.header.b = -2.0;
        ASSERT_EQ(tables.read(h, &it), QUORVEX_SUCCESS);
        EXPECT_EQ(describe(it.header),
                  "proj=" + std::to_string(projection) + " " + header + " fe=0 fn=0");
    }
}

// Projection 0, or a scale too small to mean anything, leaves the caller's
// geolocation as it was.
TEST(IdaHeaderRead, NotGeolocatedLeavesGeolocationAlone)
{
    Header h = edited("23=0");
    IMAGETYPE it = filled_with(0x11);
    ASSERT_EQ(tables.read(h, &it), QUORVEX_SUCCESS);
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
            ASSERT_EQ(tables.read(h, &it), QUORVEX_SUCCESS);
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
    for (int code : {1, 10, 11, 200, 255}) {
        SCOPED_TRACE(code);
        const Header h = edited("23=" + std::to_string(code));
        IMAGETYPE it = filled_with(0x33);
        IMAGETYPE before = it;
        EXPECT_EQ(tables.read(h, &it, 0), QUORVEX_MSG_PROJECTION_UNKNOWN);
        EXPECT_EQ(it.header.projection, code);
        before.header.projection = it.header.projection;
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0) << "only the code is written";
        EXPECT_EQ(tables.read(h, &it, 1), QUORVEX_NERR_PROJECTION_UNKNOWN);
    }
    const Header h = edited("30=255 31=255 32=0 33=128");
    IMAGETYPE it{};
    ASSERT_EQ(tables.read(h, &it), QUORVEX_SUCCESS);
    EXPECT_EQ(it.rows, -1);
    EXPECT_EQ(it.columns, -32768);
}

// Only the projection block is read, with no range test on the code: any row
// of the caller's table.
TEST(CharToHeader, ReadsOnlyTheProjectionBlock)
{
    Header h = edited("23=8 156:20 162:60");
    HEADER hdr;
    std::memset(&hdr, 0x44, sizeof hdr);
    _CharToHeader(h.data(), &hdr, tables.projections.data());
    const std::string untouched = "sph=17476 zone=17476 a=0x4444444444444444 b=0x4444444444444444";
    EXPECT_EQ(describe(hdr), "proj=8 " + untouched + " centre=45,10 par=20,60 fe=0 fn=0");
    h[23] = 250;
    _CharToHeader(h.data(), &hdr, tables.projections.data());
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

Header write(const IMAGETYPE &it, int *result = nullptr)
{
    Header h;
    h.fill(0xEE); // every byte the writer leaves must come back as 0
    const int written = _IT2IDAHeader(&it, h.data(), tables.projections.data());
    if (result != nullptr)
        *result = written;
    return h;
}

IMAGETYPE worked_image(const Header &h = worked_header())
{
    IMAGETYPE it{};
    EXPECT_EQ(tables.read(h, &it), 100);
    return it;
}

std::vector<int> differing_bytes(const Header &a, const Header &b)
{
    std::vector<int> at;
    for (int i = 0; i < 512; ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

// The worked header comes back byte for byte; what the record does not hold
// is lost.
TEST(IT2IDAHeader, RebuiltHeader)
{
    int result = -1;
    Header file = worked_header();
    EXPECT_EQ(differing_bytes(write(worked_image(), &result), file), std::vector<int>{});
    EXPECT_EQ(result, 1);
    std::memcpy(&file[38], "Title", 5);
    file[183] = 2; // decimals
    file[300] = 0x17;
    EXPECT_EQ(differing_bytes(write(worked_image(file)), file),
              (std::vector<int>{38, 39, 40, 41, 42, 183, 300}));

    file[22] = 12; // a type of the caller's table: its coded bytes go too
    file[168] = 3;
    const Header h = write(worked_image(file));
    EXPECT_EQ(h[22], 12);
    EXPECT_EQ(h[168] | h[169] | h[170], 0);
    EXPECT_EQ(r48(h, 171), 0.25); // the table row's law
    EXPECT_EQ(r48(h, 177), -3.0);
}

// A change to one field of the record.
#define SET(field, value) [](IMAGETYPE &it) { it.field = value; }

TEST(IT2IDAHeader, FieldRules)
{
    // The changes to the worked record, then bytes of the written header
    // (offset, value).
    const struct {
        std::vector<std::function<void(IMAGETYPE &)>> changes;
        std::vector<std::pair<int, int>> bytes;
    } cases[] = {
        // undefined type: 200 without coded bytes
        {{SET(ida_type, -9999)}, {{22, 200}, {168, 0}, {169, 0}, {170, 0}}},
        // empty missing slot: the low byte of the lowest code
        {{SET(missingcodes[0], -99999), SET(mincodedvalue, 0x104)},
         {{168, 4}, {169, 250}, {170, 0}}},
        // sizes keep their low 16 bits
        {{SET(rows, 0x12345), SET(columns, -2)}, {{30, 0x45}, {31, 0x23}, {32, 0xFE}, {33, 0xFF}}},
        // no projection: no geolocation, the unit not consulted
        {{SET(header.projection, 0), SET(ul_units, 3)},
         {{23, 0}, {120, 0}, {132, 0}, {138, 0}, {144, 0}, {150, 0}}},
        // parallels of a projection without them are not written
        {{SET(header.par1, 33.0), SET(header.par2, 45.0)}, {{156, 0}, {162, 0}}},
        // parallels of a conic
        {{SET(header.projection, 4), SET(header.par1, 33.0), SET(header.par2, 45.0)},
         {{23, 4}, {156, 0x86}, {161, 4}, {162, 0x86}, {167, 0x34}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        IMAGETYPE it = worked_image();
        for (const auto &change : c.changes)
            change(it);
        int result = -1;
        const Header h = write(it, &result);
        EXPECT_EQ(result, 1);
        for (const auto &[at, value] : c.bytes)
            EXPECT_EQ(h[at], value) << "byte " << at;
    }
}

// A reference point held in another unit is written as unit 0, converted
// with the reciprocal scales; dx and dy themselves are written as given.
// With dx = dy = 0.1, whose reciprocal is the worked 10 pixels per degree,
// the unit-0 point is column 100, line 50.  A point that cannot be converted
// (transverse Mercator on a sphere: on the equator 90 degrees from the
// central meridian it projects to infinity) stops the writing after the
// projection code and the scales.
TEST(IT2IDAHeader, ReferencePointInOtherUnits)
{
    const struct {
        int16_t ul_units;
        double x, y, scale;
        int result;
    } cases[] = {{1, 10.0, 5.0, 0.1, 1},
                 {2, 10.0, 5.0, 0.1, 1},
                 {3, 20.0, 40.0, 0.1, 1},
                 {3, 90.0, 0.0, 10.0, 0}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        IMAGETYPE it = worked_image();
        if (c.result == 0) {
            it.header.projection = 10;
            it.header.a = it.header.b = 6371000.0;
            it.header.lon_center = it.header.lat_center = 0.0;
        }
        it.dx = it.dy = c.scale;
        it.ul_units = c.ul_units;
        it.x_center = c.x;
        it.y_center = c.y;
        const IMAGETYPE before = it;
        int result = -1;
        const Header h = write(it, &result);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0) << "caller's record changed";
        if (c.result == 0) {
            EXPECT_EQ(h[23], 10);
            EXPECT_EQ(r48(h, 144), 10.0);
            EXPECT_EQ(differing_bytes(h, Header{}), (std::vector<int>{23, 144, 149, 150, 155}));
        } else {
            EXPECT_NEAR(r48(h, 132), 100.0, 1e-9);
            EXPECT_NEAR(r48(h, 138), 50.0, 1e-9);
            EXPECT_NEAR(r48(h, 144), 0.1, 1e-12);
        }
    }
}

struct Outcome {
    int16_t err;
    std::string message;
    bool pointer_at_end; // *p was moved onto the terminating zero
};

Outcome check(const std::vector<std::string> &names, IMAGETYPE *pit, bool with_message = true)
{
    std::vector<char *> nome;
    for (const std::string &n : names)
        nome.push_back(const_cast<char *>(n.c_str()));
    std::vector<char> buffer(4096, '\x7f');
    buffer[0] = '\0';
    char *p = buffer.data();
    int16_t err = -1;
    _CheckInputImages(pit, tables.projections.data(), tables.spheroids.data(), tables.types.data(),
                      static_cast<int16_t>(tables.types.size()), nome.data(),
                      static_cast<int16_t>(nome.size()), with_message ? &p : nullptr, &err);
    return {err, buffer.data(), p == buffer.data() + std::strlen(buffer.data())};
}

std::string input_image(const std::string &name, const char *what)
{
    return "File <" + name + ">:  Input image <" + name + ">: \nnot the same " + what + ".";
}

// Each compared field of the second file, just inside and just outside its
// tolerance; without a projection the geolocation bytes mean nothing and are
// not compared, neither with the record's leftovers nor with each other.
// Expected statuses and texts are the message table's.
TEST(CheckInputImages, EachComparedFieldAndItsTolerance)
{
    const std::string unprojected = "23=0", conic = "23=4 156:40 162:50 ";
    const struct {
        const char *what;
        std::string first, second; // edits of the worked header
        int16_t err;               // 100: the files agree
        const char *text;          // the table's "not the same ..." text
    } cases[] = {
        {"IDA type", "", "22=7", 21, "Ida Type"},
        {"projection", "", "23=2", 24, "projection"},
        {"10 rows more", "", "30=110", 22, "size"},
        {"one column less", "", "32=199", 22, "size"},
        {"centre column by one unit of the last place", "", "133=1", 25, "projection center"},
        {"centre line", "", "138+0.5", 25, "projection center"},
        {"dx by 2e-7", "", "144+2e-7", 23, "pixel size"},
        {"dx by 5e-8", "", "144+5e-8", 100, nullptr},
        {"dy by -2e-7", "", "150+-2e-7", 23, "pixel size"},
        {"dy by -5e-8", "", "150+-5e-8", 100, nullptr},
        {"centre latitude by +0.00002", "", "120+0.00002", 25, "projection center"},
        {"centre latitude by -0.00002", "", "120+-0.00002", 25, "projection center"},
        {"centre latitude by +0.000009", "", "120+0.000009", 100, nullptr},
        {"centre longitude by -0.000011", "", "126+-0.000011", 25, "projection center"},
        {"title and pixels differ", "", "40=120 183=3", 100, nullptr},
        {"parallels of a projection without them", "", "156+1", 100, nullptr},
        {"conic parallel +0.00002", conic, conic + "162:50.00002", 26, "projection parallels"},
        {"conic parallel -0.00002", conic, conic + "162+-0.00002", 26, "projection parallels"},
        {"conic parallel +0.000009", conic, conic + "162:50.000009", 100, nullptr},
        {"projection 0, record holding other values", unprojected, unprojected, 100, nullptr},
        {"projection 0, geolocation bytes differ", unprojected, "23=0 132:7 144:3", 100, nullptr},
        {"zero dx in both files", "144:0", "144:0", 100, nullptr},
        {"zero dx against projection 0", "144:0", unprojected, 100, nullptr},
        {"zero dx against a geolocated image", "144:0", "", 24, "projection"},
        {"a tiny dx is still a scale", "", "144:2e-7", 23, "pixel size"},
        {"projection 0 against a geolocated image", unprojected, "", 24, "projection"},
        {"projection 0, sizes still compared", unprojected, "23=0 32=1", 22, "size"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string a = dir.write("a.ida", edited(c.first));
        const std::string b = dir.write("b.ida", edited(c.second));
        IMAGETYPE it = filled_with(0x5A);
        const Outcome got = check({a, b}, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, c.text == nullptr ? "" : input_image(b, c.text));
        EXPECT_TRUE(got.pointer_at_end);
        EXPECT_EQ(check({a, b}, &it, false).err, c.err); // no message buffer
    }
}

// Lists of files: agreeing ones describe the first without a message; the
// first file that cannot be read is named and later ones are not opened; a
// refused first file stops the check (the second file never exists).
TEST(CheckInputImages, ListsOfFiles)
{
    TempDir dir;
    Header h = worked_header();
    const std::string good = dir.write("good.ida", h), same = dir.write("same.ida", h);
    const std::string short_file = dir.write("short.ida", h, 511);
    const std::string empty = dir.write("empty.ida", h, 0), missing = dir.missing("missing.ida");
    const std::string cannot = " Cannot open file <" + missing + ">.";
    const std::string p1 = dir.write("p1.ida", edited("23=1"));
    const std::string p200 = dir.write("p200.ida", edited("23=200"));
    const std::string t99 = dir.write("t99.ida", edited("22=99"));
    const struct {
        std::vector<std::string> names;
        int16_t err;
        std::string message;
        int projection; // of the record afterwards
    } cases[] = {
        {{good}, 100, "", 3},
        {{good, same, good}, 100, "", 3},
        {{good, missing}, 1, cannot, 3},
        {{missing, good}, 1, cannot, 0},
        {{good, short_file}, 1, " Cannot open file <" + short_file + ">.", 3},
        {{short_file, good}, 1, " Cannot open file <" + short_file + ">.", 0},
        {{good, good, empty}, 1, " Cannot open file <" + empty + ">.", 3},
        {{good, missing, short_file}, 1, cannot, 3},
        {{}, 1, " Cannot open file <>.", 0},
        {{p1, missing}, 16, "File <" + p1 + ">:  Projection <1> unknown.", 1},
        {{p200, missing}, 16, "File <" + p200 + ">:  Projection <200> unknown.", 200},
        {{t99, missing},
         31,
         "File <" + t99 + ">:  File <" + t99 +
             ">: Ida Type <99> unknown.\n Please update file <IDATYPES.DAT>.",
         3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        IMAGETYPE it{};
        const Outcome got = check(c.names, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, c.message);
        EXPECT_TRUE(got.pointer_at_end);
        EXPECT_EQ(it.header.projection, c.projection);
        if (c.err == 100) {
            EXPECT_EQ(it.columns, 200);
            EXPECT_EQ(it.x_center, 100.0);
        }
    }
}

} // namespace
