// Projection frame: block selection and preparation, buffer contracts,
// longitude folding and integer rounding.
#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::integer_at;
using fixtures::point_list;

namespace {

void clear_blocks()
{
    std::memset(&quorvex::InpPj, 0, sizeof quorvex::InpPj);
    std::memset(&quorvex::OutPj, 0, sizeof quorvex::OutPj);
}

TEST(AdjustLon, FoldsIntoHalfTurnBothWays)
{
    struct Case { double in, out; } const cases[] = {
        {3 * M_PI / 2, -M_PI / 2}, {3.141592653589793, 3.141592653589793},
        {-3.141592653589793, -3.141592653589793}, {0.0, 0.0},
        {7.0, 7.0 - 6.283185307179586}, {-7.0, -7.0 + 6.283185307179586},
        {20.0, 20.0 - 3 * 6.283185307179586},
    };
    for (const Case &c : cases)
        EXPECT_DOUBLE_EQ(quorvex::_AdjustLon(c.in), c.out) << c.in;
}

TEST(AdjustLon, AlwaysReturnsForValuesTheLoopCannotFold)
{
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_TRUE(std::isnan(quorvex::_AdjustLon(inf)));
    EXPECT_TRUE(std::isnan(quorvex::_AdjustLon(-inf)));
    EXPECT_TRUE(std::isnan(quorvex::_AdjustLon(std::nan(""))));
    for (double huge : {1e300, -1e300, 1e7 + 0.25, -4.5e15}) {
        const double folded = quorvex::_AdjustLon(huge);
        EXPECT_LE(std::fabs(folded), 3.141592653589793) << huge;
        // The folded value is the same angle, to the precision a double of
        // that size carries.
        const double turns = (huge - folded) / 6.283185307179586;
        EXPECT_NEAR(turns, std::round(turns), 1e-6 * std::fabs(turns) + 1e-9) << huge;
    }
}

TEST(Arrotonda, RoundsHalvesDownAndTruncatesNegatives)
{
    std::vector<double> buf = point_list({2.5, 2.51, 0.4, -0.6, -2.7, 7.0});
    buf.push_back(123.0);  // behind the marker: must survive
    quorvex::_Arrotonda(buf.data());
    const int32_t want[] = {2, 3, 0, 0, -2, 7};
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(integer_at(buf, k), want[k]) << k;
    EXPECT_EQ(buf[6], -99999.0);  // the marker's bytes are untouched
    EXPECT_EQ(buf[7], 123.0);
}

TEST(Arrotonda, NaNAndOutOfRangeValuesHaveDefinedIntegers)
{
    std::vector<double> buf = point_list({std::nan(""), 1e12, -1e12, 2147483647.7,
                                          -2147483648.9, -2147483647.2});
    quorvex::_Arrotonda(buf.data());
    EXPECT_EQ(integer_at(buf, 0), -99999);
    EXPECT_EQ(integer_at(buf, 1), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(integer_at(buf, 2), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(integer_at(buf, 3), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(integer_at(buf, 4), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(integer_at(buf, 5), -2147483647);
}

TEST(InitProjection, SelectorChoosesTheBlock)
{
    clear_blocks();
    IMAGETYPE in = image(7, 10.0, 60.0), out = image(7, -45.0, -70.0);
    in.header.a = out.header.a = 6378137.0;
    in.header.b = out.header.b = 6356752.314;
    _InitProjection(&in, 0);
    _InitProjection(&out, 5);
    EXPECT_EQ(quorvex::InpPj.Lam0, 10.0 * 0.0174532925199);
    EXPECT_EQ(quorvex::OutPj.Lam0, -45.0 * 0.0174532925199);
    EXPECT_EQ(quorvex::Pj, &quorvex::OutPj);
}

TEST(InitProjection, UnsetParallelsAndFalseEastingKeepEarlierValues)
{
    clear_blocks();
    IMAGETYPE it = image(7, 0.0, 90.0);
    it.header.a = 6378137.0;
    it.header.b = 6356752.314;
    it.header.fe = -99999.0;
    it.header.fn = 5.0;
    _InitProjection(&it, 0);
    EXPECT_EQ(quorvex::InpPj.Phi1, 0.0);
    EXPECT_EQ(quorvex::InpPj.Phi2, 0.0);
    EXPECT_EQ(quorvex::InpPj.fe, 0.0);
    EXPECT_EQ(quorvex::InpPj.fn, 0.0);

    it.header.par1 = 30.0;
    it.header.par2 = 60.0;
    it.header.fe = 1000.0;
    it.header.fn = 2000.0;
    _InitProjection(&it, 0);
    it.header.par1 = -99999.0;
    it.header.par2 = 10.0;  // not read when par1 is unset
    it.header.fe = -99999.0;
    it.header.fn = 7.0;     // not read when fe is unset
    _InitProjection(&it, 0);
    EXPECT_EQ(quorvex::InpPj.Phi1, 30.0 * 0.0174532925199);
    EXPECT_EQ(quorvex::InpPj.Phi2, 60.0 * 0.0174532925199);
    EXPECT_EQ(quorvex::InpPj.fe, 1000.0);
    EXPECT_EQ(quorvex::InpPj.fn, 2000.0);
}

TEST(InitProjection, PlateCarreeFillsNoParameterField)
{
    clear_blocks();
    quorvex::InpPj.a = 42.0;
    quorvex::InpPj.Lam0 = 1.5;
    IMAGETYPE it = image(3, 20.0, 30.0);
    it.header.a = 6378137.0;
    _InitProjection(&it, 0);
    EXPECT_EQ(quorvex::InpPj.a, 42.0);
    EXPECT_EQ(quorvex::InpPj.Lam0, 1.5);
    EXPECT_NE(quorvex::InpPj.proj_inv, nullptr);
}

TEST(InitProjection, UnknownCodeKeepsTheOperationsOfTheBlock)
{
    clear_blocks();
    IMAGETYPE pc = image(3, 0.0, 0.0);
    _InitProjection(&pc, 1);
    const quorvex::PROJ_OPERATION inv = quorvex::OutPj.proj_inv;
    for (int16_t code : {int16_t(0), int16_t(1), int16_t(11), int16_t(-3)}) {
        IMAGETYPE none = image(code, 0.0, 0.0);
        _InitProjection(&none, 1);
        EXPECT_EQ(quorvex::OutPj.proj_inv, inv) << code;
    }
}

TEST(LonLatToImage, ListThatBeginsWithTheMarkerIsUnchanged)
{
    IMAGETYPE it = image(3, 0.0, 0.0);
    _InitProjection(&it, 0);
    for (int16_t calltype : {int16_t(0), int16_t(1)}) {
        std::vector<double> buf = {end_marker, 1.25, 2.5};
        _LonLatToImage(&it, buf.data(), calltype, 0);
        EXPECT_EQ(buf, (std::vector<double>{end_marker, 1.25, 2.5}));
    }
}

TEST(LonLatToImage, ImageWithoutProjectionLeavesTheListUnchanged)
{
    IMAGETYPE pc = image(3, 0.0, 0.0);
    _InitProjection(&pc, 0);
    IMAGETYPE none = image(0, 0.0, 0.0);
    std::vector<double> buf = point_list({1.0, 2.0});
    const std::vector<double> before = buf;
    _LonLatToImage(&none, buf.data(), 1, 0);
    EXPECT_EQ(buf, before);
}

TEST(ImageToLonLat, WidthZeroWritesOnlyTheMarker)
{
    IMAGETYPE it = image(3, 0.0, 0.0);
    _InitProjection(&it, 0);
    std::vector<double> buf = {5.0, 6.0};
    _ImageToLonLat(&it, 10, buf.data(), 0, 0);
    EXPECT_EQ(buf[0], end_marker);
    EXPECT_EQ(buf[1], 6.0);
}

TEST(ImageToLonLat, CentrePixelHasPlaneOrigin)
{
    // Code 0: nothing converts, so the buffer shows the frame's preparation.
    IMAGETYPE it = image(0, 0.0, 0.0, 4.0, 2.0, 3.0, 7.0);
    std::vector<double> buf(2 * 5 + 1);
    _ImageToLonLat(&it, 7, buf.data(), 5, 0);
    for (int pixel = 0; pixel < 5; ++pixel) {
        EXPECT_EQ(buf[2 * pixel], (pixel - 3.0) / 4.0);
        EXPECT_EQ(buf[2 * pixel + 1], 0.0);
    }
    EXPECT_EQ(buf[10], end_marker);
}

TEST(ImageToLonLat, BlockNeverPreparedConvertsNothing)
{
    clear_blocks();
    IMAGETYPE it = image(3, 10.0, 20.0, 1.0, 1.0, 0.0, 0.0);
    std::vector<double> buf(2 * 3 + 1);
    _ImageToLonLat(&it, 0, buf.data(), 3, 1);  // OutPj has no operations
    EXPECT_EQ(buf[0], 0.0);
    EXPECT_EQ(buf[2], 1.0);
    EXPECT_EQ(buf[6], end_marker);
}

TEST(ImageToLonLat, ImageWithoutProjectionIsNotConvertedByAnEarlierBlock)
{
    IMAGETYPE pc = image(3, 10.0, 20.0, 1.0, 1.0, 0.0, 0.0);
    _InitProjection(&pc, 0);
    IMAGETYPE none = pc;
    none.header.projection = 0;
    std::vector<double> buf(2 * 2 + 1);
    _ImageToLonLat(&none, 0, buf.data(), 2, 0);
    EXPECT_EQ(buf[0], 0.0);   // would be 10 through the plate carree block
    EXPECT_EQ(buf[1], 0.0);
}

TEST(ImageToLonLat, WidthBeyondSixteenBitsSignedIsServed)
{
    IMAGETYPE it = image(3, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0);
    _InitProjection(&it, 0);
    const uint16_t width = 40000;
    std::vector<double> buf(2 * width + 1, 1.0);
    _ImageToLonLat(&it, 3, buf.data(), width, 0);
    EXPECT_EQ(buf[2 * 39999], 39999.0);
    EXPECT_EQ(buf[2 * 39999 + 1], -3.0);
    EXPECT_EQ(buf[2 * width], end_marker);
}

TEST(Frame, TwoProjectionsSideBySide)
{
    // A conic source image converted line by line into a polar
    // stereographic target; re-preparing the target block leaves the
    // source block's constants alone.
    IMAGETYPE source = image(4, 10.0, 60.0, 0.1, 0.1, 500.0, 500.0);  // 10 km pixels
    source.header.a = 6378137.0;
    source.header.b = 6356752.314;
    source.header.par1 = 50.0;
    source.header.par2 = 70.0;
    IMAGETYPE target = image(7, -45.0, 70.0, 1e-4, 1e-4, 600.0, 600.0);
    target.header.a = 6378137.0;
    target.header.b = 6356752.314;
    _InitProjection(&source, 0);
    _InitProjection(&target, 1);
    const double n_before = quorvex::InpPj.LCC_N;
    _InitProjection(&target, 1);
    EXPECT_EQ(quorvex::InpPj.LCC_N, n_before);

    const uint16_t width = 1000;
    std::vector<double> buf(2 * width + 1);
    _ImageToLonLat(&source, 300, buf.data(), width, 0);
    std::vector<double> geo = buf;
    _LonLatToImage(&target, buf.data(), 1, 1);

    // Each integer pair is the target pixel of that source pixel; checked
    // against converting the same point alone through the target block.
    for (int pixel = 0; pixel < width; pixel += 97) {
        std::vector<double> one = point_list({geo[2 * pixel], geo[2 * pixel + 1]});
        _LonLatToImage(&target, one.data(), 1, 1);
        EXPECT_EQ(integer_at(buf, 2 * pixel), integer_at(one, 0)) << pixel;
        EXPECT_EQ(integer_at(buf, 2 * pixel + 1), integer_at(one, 1)) << pixel;
    }
    // And the source block still converts its own line back.
    std::vector<double> again(2 * width + 1);
    _ImageToLonLat(&source, 300, again.data(), width, 0);
    EXPECT_EQ(again, geo);
}

// The buffer left by the inverse is a valid forward list: an image line
// through one block and back gives the pixels and the line again.
struct RoundTripCase {
    const char *name;
    int16_t code;
    double lon0, lat0, par1, par2, a, b, fe, fn;
    double dx, dy, x_center, y_center;  // pixels per plane unit, centre pixel
    uint16_t width;
    uint16_t lines[3];
    double tolerance;  // pixels
};

const RoundTripCase round_trips[] = {
    // Both directions are exact up to rounding.
    {"plate carree", 3, 12.5, -7.25, -99999, -99999, 0, 0, 0, 0, 3, 5, 17.3, 40.6, 64,
     {0, 23, 90}, 1e-11},
    // The latitude iteration stops at 1e-5 rad between steps, about 0.4 m
    // left over: 2e-4 pixels of 2 km.
    {"conformal conic", 4, 10, 45, 30, 60, 6378137, 6356752.314, 0, 0, 0.5, 0.5, 1000, 600,
     2000, {0, 600, 1199}, 2e-4},
    // Inverse and forward use differently rounded model constants, up to
    // 1e-5 degrees: 1e-3 pixels of 0.01 degrees.  The line stays on the
    // disc (scan angles up to 7 across, 3 up).
    {"geostationary", 5, -75, 0, -99999, -99999, 6378.155, 6356.7518, 0, 0, 100, 100, 700,
     1000, 1400, {700, 1000, 1300}, 1e-3},
    // The iteration converges to 1e-10 rad: below 1e-6 pixels of 10 km.
    {"polar stereographic north", 7, -40, 60, -99999, -99999, 6378137, 6356752.314, 0, 0,
     1e-4, 1e-4, 400, 400, 800, {0, 400, 799}, 1e-6},
    {"polar stereographic south", 7, -40, -71, -99999, -99999, 6378137, 6356752.314, 0, 0,
     1e-4, 1e-4, 400, 400, 800, {0, 250, 799}, 1e-6},
    {"polar stereographic pole", 7, -40, 90, -99999, -99999, 6378137, 6356752.314, 0, 0,
     1e-4, 1e-4, 400, 400, 800, {0, 400, 799}, 1e-6},
    // Forward and inverse series are truncated separately: 350 km from the
    // central meridian (up to 4.5 degrees at 45 north) they part by about
    // 6 mm, 1.2e-5 pixels of 500 m.
    {"transverse Mercator", 10, 9, 0, -99999, -99999, 6378137, 6356752.314, 500000, 0,
     1.0 / 500, 1.0 / 500, -300, 10000, 1400, {0, 9999, 12000}, 3e-5},
    // The latitude iteration's last step is below 1e-7 rad, its error far
    // smaller: 1e-6 pixels of 10 km, down to 4 degrees south.
    {"Albers", 8, -96, 23, 29.5, 45.5, 6378137, 6356752.314, 0, 0, 1e-4, 1e-4, 300, 100, 600,
     {0, 200, 400}, 1e-6},
    {"Lambert azimuthal", 6, 10, 52, -99999, -99999, 6371007, 6371007, 0, 0, 1e-4, 1e-4,
     400, 400, 800, {0, 400, 799}, 1e-6},
    // 100 km pixels across all lobes within a degree of the equator, where
    // the interruptions are narrower than 3 km and miss every pixel (a gap
    // pixel would end the list).
    {"Goode homolosine", 9, 0, 0, -99999, -99999, 6371007, 6371007, 0, 0, 1e-5, 1e-5, 190,
     50, 380, {49, 50, 51}, 1e-6},
};

TEST(Frame, InverseLineFedToTheForwardGivesThePixelsBack)
{
    for (const RoundTripCase &c : round_trips) {
        IMAGETYPE it = image(c.code, c.lon0, c.lat0, c.dx, c.dy, c.x_center, c.y_center);
        it.header.par1 = c.par1;
        it.header.par2 = c.par2;
        it.header.a = c.a;
        it.header.b = c.b;
        it.header.fe = c.fe;
        it.header.fn = c.fn;
        _InitProjection(&it, 1);
        for (uint16_t line : c.lines) {
            std::vector<double> buf(2 * c.width + 1);
            _ImageToLonLat(&it, line, buf.data(), c.width, 1);
            _LonLatToImage(&it, buf.data(), 0, 1);
            for (int pixel = 0; pixel < c.width; ++pixel) {
                EXPECT_NEAR(buf[2 * pixel], pixel, c.tolerance) << c.name << " line " << line;
                EXPECT_NEAR(buf[2 * pixel + 1], line, c.tolerance) << c.name << " line " << line;
            }
            EXPECT_EQ(buf[2 * c.width], end_marker) << c.name;
        }
    }
}

TEST(Frame, NullImageOrBufferDoesNothing)
{
    IMAGETYPE it = image(3, 0.0, 0.0);
    _InitProjection(&it, 0);
    quorvex::PROJ *const before = quorvex::Pj;
    _InitProjection(nullptr, 1);
    _LonLatToImage(nullptr, nullptr, 1, 1);
    _LonLatToImage(&it, nullptr, 1, 1);
    _ImageToLonLat(&it, 0, nullptr, 10, 1);
    std::vector<double> buf = point_list({1.0, 2.0});
    _ImageToLonLat(nullptr, 0, buf.data(), 1, 1);
    EXPECT_EQ(quorvex::Pj, before);
    EXPECT_EQ(buf, point_list({1.0, 2.0}));
}

} // namespace
