// The live comparison with PROJ, built only where PROJ is found: the "peer"
// directive of the cases compares 300 points of a domain, forward and
// inverse, with PROJ's.  With QUORVEX_CAPTURE=N in the environment it also
// prints N of them as "both" case lines, which is how the cases' values were
// taken.
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

void compare_with_proj(const IMAGETYPE &image, int16_t block, const std::string &definition,
                       const double plane[3], const double domain[4], double tolerance_px,
                       double tolerance_deg);

void compare_with_proj(const IMAGETYPE &image, int16_t block, const std::string &definition,
                       const double plane[3], const double domain[4], double tolerance_px,
                       double tolerance_deg)
{
    PJ_CONTEXT *ctx = proj_context_create();
    PJ *peer = proj_create(ctx, definition.c_str());
    ASSERT_NE(peer, nullptr) << definition;
    const char *capture = std::getenv("QUORVEX_CAPTURE");
    const long printed = capture != nullptr ? std::atol(capture) : 0;
    const double radians = M_PI / 180.0;

    std::mt19937 gen(20261207);
    std::uniform_real_distribution<double> lon_of(domain[0], domain[1]),
        lat_of(domain[2], domain[3]);
    std::vector<double> geo, xy, lonlat;
    for (int i = 0; i < 300; ++i) {
        // Six decimals, so that a captured line holds the point exactly.
        const double lon = std::round(lon_of(gen) * 1e6) / 1e6,
                     lat = std::round(lat_of(gen) * 1e6) / 1e6;
        PJ_COORD c = proj_trans(peer, PJ_FWD, proj_coord(lon * radians, lat * radians, 0, 0));
        const double x = plane[0] * c.xy.x, y = plane[1] * c.xy.y - plane[2];
        if (!std::isfinite(x) || !std::isfinite(y) || c.xy.x == HUGE_VAL)
            continue;
        c = proj_trans(peer, PJ_INV, c);
        geo.insert(geo.end(), {lon, lat});
        xy.insert(xy.end(), {x, y});
        lonlat.insert(lonlat.end(), {c.lp.lam / radians, c.lp.phi / radians});
    }
    proj_destroy(peer);
    proj_context_destroy(ctx);
    const std::size_t n = geo.size() / 2;
    EXPECT_GE(n, 290u);

    std::vector<double> forward = geo, inverse = xy;
    forward.push_back(quorvex::no_value);
    inverse.push_back(quorvex::no_value);
    EXPECT_EQ(quorvex::forward_points(&image, forward.data(), 0, block), QUORVEX_SUCCESS);
    EXPECT_EQ(quorvex::inverse_points(&image, inverse.data(), static_cast<uint16_t>(n), block),
              QUORVEX_SUCCESS);
    for (std::size_t k = 0; k < n; ++k) {
        const double column = xy[2 * k] * image.dx + image.x_center;
        const double line = image.y_center - xy[2 * k + 1] * image.dy;
        EXPECT_NEAR(forward[2 * k], column, tolerance_px) << geo[2 * k] << ", " << geo[2 * k + 1];
        EXPECT_NEAR(forward[2 * k + 1], line, tolerance_px) << geo[2 * k] << ", " << geo[2 * k + 1];
        const double lon = lonlat[2 * k], lat = lonlat[2 * k + 1];
        const double dlon = std::remainder(inverse[2 * k] - lon, 360.0) * std::cos(lat * radians);
        EXPECT_NEAR(dlon, 0.0, tolerance_deg) << xy[2 * k] << ", " << xy[2 * k + 1];
        EXPECT_NEAR(inverse[2 * k + 1], lat, tolerance_deg) << xy[2 * k] << ", " << xy[2 * k + 1];
        if (static_cast<long>(k) < printed)
            std::printf("both %.6f %.6f -> %.17g %.17g\n", geo[2 * k], geo[2 * k + 1], column,
                        line);
    }
}
