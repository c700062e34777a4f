// Geostationary view (code 5): scan angles, the visible box, rejected points
// inside lists, the limb rule of the inverse, the centre-latitude asymmetry.
#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using fixtures::end_marker;
using fixtures::image;
using fixtures::integer_at;
using fixtures::inverse_of;
using fixtures::plane_of;
using fixtures::point_list;

namespace {

// Sub-satellite point (lon0, lat0); unit grid: column = x, line = -y.
IMAGETYPE satellite(double lon0 = 0.0, double lat0 = 0.0)
{
    IMAGETYPE it = image(5, lon0, lat0, 1.0, 1.0, 0.0, 0.0);
    it.header.a = 6378.155;
    it.header.b = 6356.7518;
    return it;
}

struct ForwardCase {
    double lon, lat;
    double x, y;       // degrees of scan angle
    double tolerance;  // degrees
    const char *source;
};

const ForwardCase forward_cases[] = {
    {0, 0, 0, 0, 0, "sub-satellite point"},
    {10, 20, 1.644773, 3.419843, 1e-6, "worked value"},
    {-10, -20, -1.644773, -3.419843, 1e-6, "worked value mirrored"},
    {81.3, 0, 8.7005, 0, 1e-4, "longitude offset 81.3 accepted, at the limb (8.7005)"},
    {81.31, 0, -99999, -99999, 0, "longitude offset 81.31 rejected"},
    {0, -81.31, -99999, -99999, 0, "latitude offset 81.31 rejected"},
};

TEST(Geostationary, ForwardTable)
{
    IMAGETYPE it = satellite();
    _InitProjection(&it, 0);
    for (const ForwardCase &c : forward_cases) {
        std::vector<double> buf = point_list({c.lon, c.lat});
        _LonLatToImage(&it, buf.data(), 0, 0);
        const bool rejected = c.x == -99999;
        EXPECT_NEAR(buf[0], c.x, c.tolerance) << c.source;
        EXPECT_NEAR(rejected ? buf[1] : -buf[1], c.y, c.tolerance) << c.source;
    }
}

TEST(Geostationary, RejectedPointDoesNotEndTheList)
{
    IMAGETYPE it = satellite();
    it.dx = it.dy = 10.0;
    it.x_center = 500.0;
    it.y_center = 400.0;
    _InitProjection(&it, 0);
    const std::vector<double> points = point_list({10, 20, 100, 0, -10, -20});

    std::vector<double> doubles = points;
    _LonLatToImage(&it, doubles.data(), 0, 0);
    EXPECT_NEAR(doubles[0], 500 + 16.44773, 1e-4);
    EXPECT_EQ(doubles[2], -99999.0);
    EXPECT_EQ(doubles[3], -99999.0);
    EXPECT_NEAR(doubles[4], 500 - 16.44773, 1e-4);  // converted after the rejection
    EXPECT_NEAR(doubles[5], 400 + 34.19843, 1e-4);
    EXPECT_EQ(doubles[6], end_marker);

    std::vector<double> integers = points;
    _LonLatToImage(&it, integers.data(), 1, 0);
    const int32_t want[] = {516, 366, -99999, -99999, 484, 434};
    for (size_t k = 0; k < 6; ++k)
        EXPECT_EQ(integer_at(integers, k), want[k]) << k;
}

TEST(Geostationary, InverseOfWorkedAnglesUsesTheRoundedModel)
{
    IMAGETYPE it = satellite();
    _InitProjection(&it, 0);
    std::vector<double> pairs = {1.644773, 3.419843, 0.0, 0.0};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_NEAR(pairs[0], 10.0, 3e-6);
    EXPECT_NEAR(pairs[1], 20.0, 4e-6);
    EXPECT_NE(pairs[1], 20.0);  // the rounded constants are visible
    EXPECT_EQ(pairs[2], 0.0);
    EXPECT_EQ(pairs[3], 0.0);
}

TEST(Geostationary, InverseLineLimbRule)
{
    IMAGETYPE it = satellite();
    _InitProjection(&it, 0);
    // Pixels fail by looking past the disc (its edge on the equator lies
    // at X = 8.7005: 8.70 is on it, 8.701 off it, and so is the corner
    // (8.7, 8.7)) or, at y = 10 degrees, by that and the latitude bound.
    struct LineCase {
        std::vector<double> xy;      // scan angle pairs along the line
        std::vector<bool> marked;    // which pairs end as (-99999, -99999)
        int16_t status;
    } const cases[] = {
        {{0, 10, 0, 10, 0, 1, 0, 2, 0, 10, 0, 1, 0, 1},
         {true, true, false, false, true, true, true}, -100},
        {{0, 10, 0, 10, 0, 10}, {true, true, true}, 100},
        {{0, 10, 0, 1, 0, 2, 0, 3}, {true, false, false, false}, 100},
        {{-8.701, 0, -8.70, 0, 0, 0, 8.70, 0}, {true, false, false, false}, 100},
        {{0, 0, 8.70, 0, 8.701, 0, 0, 0}, {false, false, true, true}, -100},
        {{-8.7, 8.7, 0, 0, 8.7, 8.7}, {true, false, true}, -100},
    };
    for (const LineCase &c : cases) {
        std::vector<double> pairs = c.xy;
        EXPECT_EQ(inverse_of(it, pairs), c.status);
        for (size_t k = 0; k < c.marked.size(); ++k) {
            const bool marked = pairs[2 * k] == -99999.0 && pairs[2 * k + 1] == -99999.0;
            EXPECT_EQ(marked, c.marked[k]) << "pair " << k << " of status " << c.status;
        }
    }
    // The disc's edge pixel has a ground position near the horizon.
    std::vector<double> edge = {8.70, 0};
    inverse_of(it, edge);
    EXPECT_NEAR(edge[0], 80.66, 0.01);
    EXPECT_EQ(edge[1], 0.0);
}

TEST(Geostationary, NonZeroCentreLatitudeIsNotUndoneByTheInverse)
{
    IMAGETYPE it = satellite(0.0, 5.0);
    _InitProjection(&it, 0);
    std::vector<double> buf = point_list({10, 20});
    _LonLatToImage(&it, buf.data(), 0, 0);
    std::vector<double> pairs = {buf[0], -buf[1]};
    EXPECT_EQ(inverse_of(it, pairs), 100);
    EXPECT_NEAR(pairs[1], 15.0, 0.1);  // the forward's shift stays
}

} // namespace
