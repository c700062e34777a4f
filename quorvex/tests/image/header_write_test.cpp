// Writing IDA header bytes from an image description.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

using description::Header;
using description::r48;
using description::Tables;

namespace {

Header write(const IMAGETYPE &it, const Tables &t, int *result = nullptr)
{
    Header h;
    h.fill(0xEE); // every byte the writer leaves must come back as 0
    const int written = _IT2IDAHeader(&it, h.data(), t.projections.data());
    if (result != nullptr)
        *result = written;
    return h;
}

IMAGETYPE worked_image(const Tables &t, const Header &h = description::worked_header())
{
    IMAGETYPE it{};
    EXPECT_EQ(t.read(h, &it), 100);
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
    Tables t;
    int result = -1;
    Header file = description::worked_header();
    EXPECT_EQ(differing_bytes(write(worked_image(t), t, &result), file), std::vector<int>{});
    EXPECT_EQ(result, 1);
    std::memcpy(&file[38], "Title", 5);
    file[183] = 2; // decimals
    file[300] = 0x17;
    EXPECT_EQ(differing_bytes(write(worked_image(t, file), t), file),
              (std::vector<int>{38, 39, 40, 41, 42, 183, 300}));

    file[22] = 12; // a type of the caller's table: its coded bytes go too
    file[168] = 3;
    const Header h = write(worked_image(t, file), t);
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
    Tables t;
    for (const auto &c : cases) {
        SCOPED_TRACE(&c - cases);
        IMAGETYPE it = worked_image(t);
        for (const auto &change : c.changes)
            change(it);
        int result = -1;
        const Header h = write(it, t, &result);
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
    Tables t;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.x);
        IMAGETYPE it = worked_image(t);
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
        const Header h = write(it, t, &result);
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

} // namespace
