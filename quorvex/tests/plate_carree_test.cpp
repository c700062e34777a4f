// Plate carree (code 3): worked grid values, unfolded longitudes, round trips
// through both blocks, integer output.
#include "projection_fixtures.h"

#include <gtest/gtest.h>

#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::integer_at;
using fixtures::point_list;

namespace {

// Forward cases: centre, grid, point, expected column/line.  Tolerance
// 1e-9 pixels; expected values are the grid law worked by hand.
struct ForwardCase {
    double lon0, lat0, dx, dy, xc, yc;
    double lon, lat;
    double column, line;
    const char *source;
};

const ForwardCase forward_cases[] = {
    {0, 0, 10, 10, 100, 50, 0, 0, 100, 50, "centre maps to the reference pixel"},
    {0, 0, 10, 10, 100, 50, 1, 1, 110, 40, "worked grid value"},
    {0, 0, 10, 10, 100, 50, 350, 0, 3600, 50, "350 degrees east, not folded"},
    {15, -30, 2, 4, 0.5, 0.25, 15, -30, 0.5, 0.25, "fractional reference pixel"},
    {15, -30, 2, 4, 0.5, 0.25, -165, 60, -359.5, -359.75, "far west and north"},
    {0, 0, 1, 1, 0, 0, 0, 120, 0, -120, "latitude beyond 90 is not limited"},
};

TEST(PlateCarree, ForwardTable)
{
    for (const ForwardCase &c : forward_cases) {
        IMAGETYPE it = image(3, c.lon0, c.lat0, c.dx, c.dy, c.xc, c.yc);
        _InitProjection(&it, 0);
        std::vector<double> buf = point_list({c.lon, c.lat});
        _LonLatToImage(&it, buf.data(), 0, 0);
        EXPECT_NEAR(buf[0], c.column, 1e-9) << c.source;
        EXPECT_NEAR(buf[1], c.line, 1e-9) << c.source;
        EXPECT_EQ(buf[2], end_marker) << c.source;
    }
}

TEST(PlateCarree, InverseOfWorkedPixel)
{
    IMAGETYPE it = image(3, 0.0, 0.0);
    _InitProjection(&it, 1);
    std::vector<double> buf(2 * 111 + 1);
    _ImageToLonLat(&it, 40, buf.data(), 111, 1);
    EXPECT_NEAR(buf[2 * 110], 1.0, 1e-12);
    EXPECT_NEAR(buf[2 * 110 + 1], 1.0, 1e-12);
    EXPECT_NEAR(buf[2 * 100], 0.0, 1e-12);
    EXPECT_EQ(buf[2 * 111], end_marker);
}

TEST(PlateCarree, TwoBlocksServeTwoImagesSideBySide)
{
    // Source grid at 10 pixels per degree, target at 4, different centres:
    // a source line goes through the input block to degrees and through the
    // output block to target pixels, read back as integers.
    IMAGETYPE source = image(3, 0.0, 0.0, 10.0, 10.0, 100.0, 50.0);
    IMAGETYPE target = image(3, 5.0, 2.0, 4.0, 4.0, 20.0, 30.0);
    _InitProjection(&source, 0);
    _InitProjection(&target, 1);
    const uint16_t width = 200;
    std::vector<double> buf(2 * width + 1);
    _ImageToLonLat(&source, 40, buf.data(), width, 0);
    _LonLatToImage(&target, buf.data(), 1, 1);
    for (int pixel = 0; pixel < width; pixel += 7) {
        const double lon = (pixel - 100.0) / 10.0, lat = 1.0;
        const double column = (lon - 5.0) * 4.0 + 20.0;
        const double line = 30.0 - (lat - 2.0) * 4.0;
        int32_t want_column = static_cast<int32_t>(column);
        if (column - want_column > 0.5)
            ++want_column;
        EXPECT_EQ(integer_at(buf, 2 * pixel), want_column) << pixel;
        EXPECT_EQ(integer_at(buf, 2 * pixel + 1), static_cast<int32_t>(line)) << pixel;
    }
}

TEST(PlateCarree, IntegerOutputPacksPairsFromTheStart)
{
    IMAGETYPE it = image(3, 0.0, 0.0, 1.0, 1.0, 0.0, 0.0);
    _InitProjection(&it, 0);
    std::vector<double> buf = point_list({2.5, -2.7, 2.51, 0.4, -0.6, 0.0});
    buf.push_back(77.0);
    _LonLatToImage(&it, buf.data(), 1, 0);
    // column = lon, line = -lat.
    const int32_t want[] = {2, 3, 3, 0, 0, 0};
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(integer_at(buf, k), want[k]) << k;
    EXPECT_EQ(buf[6], end_marker);  // no integer terminator is written
    EXPECT_EQ(buf[7], 77.0);
}

} // namespace
