// Writing IDA header bytes from an image description.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

using description::Header;
using description::r48;
using description::Tables;

namespace {

Header write(const IMAGETYPE &it, const Tables &t, int *result = nullptr)
{
    Header h;
    h.fill(0xEE);  // every byte the writer leaves must come back as 0
    const int written = _IT2IDAHeader(&it, h.data(), t.projections.data());
    if (result != nullptr)
        *result = written;
    return h;
}

std::vector<int> differing_bytes(const Header &a, const Header &b)
{
    std::vector<int> at;
    for (int i = 0; i < 512; ++i)
        if (a[i] != b[i])
            at.push_back(i);
    return at;
}

TEST(IT2IDAHeader, WorkedHeaderComesBackByteForByte)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    int result = -1;
    const Header h = write(it, t, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(differing_bytes(h, description::worked_header()), std::vector<int>{});
}

TEST(IT2IDAHeader, RebuiltHeaderLosesTitleAndUninterpretedBytes)
{
    Tables t;
    Header file = description::worked_header();
    std::memcpy(&file[38], "A title padded with spaces", 26);
    file[183] = 2;  // decimals
    file[5] = 0x42;
    file[300] = 0x17;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(file, &it), 100);
    const std::vector<int> lost = differing_bytes(write(it, t), file);
    std::vector<int> expected = {5};
    for (int i = 38; i < 38 + 26; ++i)
        expected.push_back(i);
    expected.push_back(183);
    expected.push_back(300);
    EXPECT_EQ(lost, expected);
}

TEST(IT2IDAHeader, TableTypeLosesItsCodedBytes)
{
    Tables t;
    Header file = description::worked_header();
    file[22] = 12;  // a type of the caller's table
    file[168] = 3;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(file, &it), 100);
    const Header h = write(it, t);
    EXPECT_EQ(h[22], 12);
    EXPECT_EQ(h[168], 0);
    EXPECT_EQ(h[169], 0);
    EXPECT_EQ(h[170], 0);
    // slope and intercept are those of the table row
    EXPECT_EQ(r48(h, 171), 0.25);
    EXPECT_EQ(r48(h, 177), -3.0);
}

TEST(IT2IDAHeader, UndefinedTypeIsWrittenAs200WithoutCodes)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.ida_type = -9999;
    const Header h = write(it, t);
    EXPECT_EQ(h[22], 200);
    EXPECT_EQ(h[168], 0);
    EXPECT_EQ(h[169], 0);
    EXPECT_EQ(h[170], 0);
}

TEST(IT2IDAHeader, EmptyMissingSlotLeavesByte170)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.mincodedvalue = 0x104;  // only the low byte is kept
    it.missingcodes[0] = -99999;
    const Header h = write(it, t);
    EXPECT_EQ(h[168], 0x04);
    EXPECT_EQ(h[170], 0);
}

TEST(IT2IDAHeader, ParallelsOnlyForProjectionsThatHaveThem)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.header.par1 = 33.0;
    it.header.par2 = 45.0;
    Header h = write(it, t);
    EXPECT_EQ(r48(h, 156), 0.0);
    EXPECT_EQ(r48(h, 162), 0.0);

    it.header.projection = 4;
    h = write(it, t);
    EXPECT_EQ(h[23], 4);
    EXPECT_EQ(r48(h, 156), 33.0);
    EXPECT_EQ(r48(h, 162), 45.0);
}

TEST(IT2IDAHeader, UnprojectedImageWritesNoGeolocation)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.header.projection = 0;
    it.ul_units = 3;  // not consulted without a projection
    int result = -1;
    const Header h = write(it, t, &result);
    EXPECT_EQ(result, 1);
    for (int at = 120; at < 168; ++at)
        EXPECT_EQ(h[at], 0) << at;
    EXPECT_EQ(h[23], 0);
    EXPECT_EQ(h[30], 100);
    EXPECT_EQ(h[32], 200);
}

TEST(IT2IDAHeader, SizesKeepTheirLow16Bits)
{
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.rows = 0x12345;
    it.columns = -2;
    const Header h = write(it, t);
    EXPECT_EQ(h[30], 0x45);
    EXPECT_EQ(h[31], 0x23);
    EXPECT_EQ(h[32], 0xFE);
    EXPECT_EQ(h[33], 0xFF);
}

// A reference point held in another unit is written as unit 0, converted
// with the reciprocal scales; dx and dy themselves are written as given.
TEST(IT2IDAHeader, ReferencePointInOtherUnitsIsWrittenAsUnit0)
{
    struct Case {
        int16_t ul_units;
        double x, y;  // reference point in that unit
    };
    // caller's dx = dy = 0.1, whose reciprocal is the worked 10 pixels per
    // degree; the unit-0 point is column 100, line 50 in every case
    const Case cases[] = {
        {1, 10.0, 5.0},  // 100 / (1 / 0.1)
        {2, 10.0, 5.0},
        {3, 20.0, 40.0},
    };
    Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.ul_units);
        IMAGETYPE it{};
        ASSERT_EQ(t.read(description::worked_header(), &it), 100);
        it.dx = 0.1;
        it.dy = 0.1;
        it.ul_units = c.ul_units;
        it.x_center = c.x;
        it.y_center = c.y;
        const IMAGETYPE before = it;
        int result = -1;
        const Header h = write(it, t, &result);
        EXPECT_EQ(result, 1);
        EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0) << "caller's record changed";
        EXPECT_NEAR(r48(h, 132), 100.0, 1e-9);
        EXPECT_NEAR(r48(h, 138), 50.0, 1e-9);
        EXPECT_NEAR(r48(h, 144), 0.1, 1e-12);
        EXPECT_NEAR(r48(h, 150), 0.1, 1e-12);
    }
}

TEST(IT2IDAHeader, UnconvertiblePointStopsTheWriting)
{
    // Transverse Mercator on a sphere: a point on the equator 90 degrees
    // from the central meridian projects to infinity.
    Tables t;
    IMAGETYPE it{};
    ASSERT_EQ(t.read(description::worked_header(), &it), 100);
    it.header.projection = 10;
    it.header.a = it.header.b = 6371000.0;
    it.header.lon_center = 0.0;
    it.header.lat_center = 0.0;
    it.ul_units = 3;
    it.x_center = 90.0;
    it.y_center = 0.0;
    const IMAGETYPE before = it;
    int result = -1;
    const Header h = write(it, t, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(std::memcmp(&it, &before, sizeof it), 0);
    EXPECT_EQ(h[23], 10);
    EXPECT_EQ(r48(h, 144), 10.0);
    for (int at = 132; at < 144; ++at)
        EXPECT_EQ(h[at], 0) << at;
    EXPECT_EQ(h[22], 0);  // the rest is not written
    EXPECT_EQ(h[30], 0);
}

} // namespace
