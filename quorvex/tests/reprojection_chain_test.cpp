// A front end's reprojection of a line, end to end through the exported
// frame: a source line to longitude/latitude through the input block, then
// to integer column/line of a target image through the output block,
// checked against converting every pixel on its own.  Lines with marked
// pixels (Goode gaps) are chained run by run, as the public header tells
// callers to do.
#include "projection_fixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr double marker = -99999.0;

struct TARGET_PIXEL {
    bool marked;  // the source pixel has no geographic position
    int32_t column;
    int32_t line;
};

IMAGETYPE image_of(int16_t code, double lon0, double lat0, double a, double b,
                   double dx, double dy, double xc, double yc, double par1 = -99999.0,
                   double par2 = -99999.0)
{
    IMAGETYPE it = fixtures::image(code, lon0, lat0, dx, dy, xc, yc);
    it.header.a = a;
    it.header.b = b;
    it.header.par1 = par1;
    it.header.par2 = par2;
    return it;
}

int32_t integer_at(const double *pairs, size_t k)
{
    int32_t n;
    std::memcpy(&n, reinterpret_cast<const unsigned char *>(pairs) + 4 * k, sizeof n);
    return n;
}

// The whole line at once: one inverse call, then one forward call per run
// of pixels between marked ones.
std::vector<TARGET_PIXEL> chained(const IMAGETYPE &source, const IMAGETYPE &target,
                                  uint16_t line, uint16_t width)
{
    _InitProjection(&source, 0);
    _InitProjection(&target, 1);
    std::vector<double> buf(2 * width + 1);
    _ImageToLonLat(&source, line, buf.data(), width, 0);
    std::vector<TARGET_PIXEL> out(width);
    for (uint16_t k = 0; k < width; ++k)
        out[k].marked = buf[2 * k] == marker && buf[2 * k + 1] == marker;
    for (uint16_t start = 0; start < width;) {
        if (out[start].marked) {
            ++start;
            continue;
        }
        uint16_t end = start;
        while (end < width && !out[end].marked)
            ++end;
        _LonLatToImage(&target, &buf[2 * start], 1, 1);
        // The run's integers are packed from its start: pixel start + j has
        // the j-th pair of 32-bit integers there.
        for (uint16_t j = 0; start + j < end; ++j) {
            out[start + j].column = integer_at(&buf[2 * start], 2 * j);
            out[start + j].line = integer_at(&buf[2 * start], 2 * j + 1);
        }
        if (end < width) {
            EXPECT_EQ(buf[2 * end], marker) << "the forward ran past the gap at " << end;
        }
        start = end;
    }
    return out;
}

// One pixel alone: the inverse of the line up to it, then its own
// one-point list.
TARGET_PIXEL alone(const IMAGETYPE &source, const IMAGETYPE &target, uint16_t line,
                   uint16_t pixel)
{
    _InitProjection(&source, 0);
    _InitProjection(&target, 1);
    std::vector<double> buf(2 * (pixel + 1) + 1);
    _ImageToLonLat(&source, line, buf.data(), static_cast<uint16_t>(pixel + 1), 0);
    std::vector<double> one = {buf[2 * pixel], buf[2 * pixel + 1], marker};
    if (one[0] == marker && one[1] == marker)
        return {true, 0, 0};
    _LonLatToImage(&target, one.data(), 1, 1);
    return {false, integer_at(one.data(), 0), integer_at(one.data(), 1)};
}

struct ChainCase {
    const char *what;
    IMAGETYPE source;
    IMAGETYPE target;
    uint16_t line;
    uint16_t width;
    bool expect_marked;  // the line crosses pixels without position
};

const double earth = 6371.0;

std::vector<ChainCase> chain_cases()
{
    return {
        // 100 km pixels over the whole Goode map; line 260 runs 5000 km
        // south of the equator through the three southern interruptions.
        {"Goode to plate carree",
         image_of(9, 0, 0, earth, earth, 0.01, 0.01, 200, 210), 
         image_of(3, 0, 0, 0, 0, 2, 2, 360, 180), 260, 400, true},
        // The same map, a northern Mollweide line with its one interruption.
        {"Goode to plate carree, north",
         image_of(9, 0, 0, earth, earth, 0.01, 0.01, 200, 210),
         image_of(3, 0, 0, 0, 0, 2, 2, 360, 180), 130, 400, true},
        // A full-disc scan, line 150 across the northern disc with space
        // on either side.
        {"geostationary to Lambert azimuthal",
         image_of(5, 0, 0, 6378.155, 6356.7518, 1000 / 17.4, 1000 / 17.4, 500, 500),
         image_of(6, 10, 50, earth, earth, 0.1, 0.1, 500, 500), 150, 1000, true},
        {"Albers to Hammer-Aitoff",
         image_of(8, -96, 23, 6378.137, 6356.752314245, 0.2, 0.2, 500, 400, 29.5, 45.5),
         image_of(2, 0, 0, 1, 1, 1000, 500, 1000, 500), 250, 1000, false},
        {"Lambert azimuthal to Goode",
         image_of(6, -20, 10, earth, earth, 0.05, 0.05, 300, 300),
         image_of(9, 0, 0, earth, earth, 0.05, 0.05, 1000, 500), 420, 600, false},
    };
}

TEST(ReprojectionChain, LineEqualsPixelByPixel)
{
    for (const ChainCase &c : chain_cases()) {
        const std::vector<TARGET_PIXEL> line = chained(c.source, c.target, c.line, c.width);
        int marked = 0;
        for (uint16_t k = 0; k < c.width; ++k) {
            const TARGET_PIXEL one = alone(c.source, c.target, c.line, k);
            ASSERT_EQ(line[k].marked, one.marked) << c.what << " pixel " << k;
            if (one.marked) {
                ++marked;
                continue;
            }
            EXPECT_EQ(line[k].column, one.column) << c.what << " pixel " << k;
            EXPECT_EQ(line[k].line, one.line) << c.what << " pixel " << k;
        }
        if (c.expect_marked) {
            EXPECT_GT(marked, 0) << c.what << ": no marked pixel";
            EXPECT_LT(marked, c.width) << c.what;
        } else {
            EXPECT_EQ(marked, 0) << c.what;
        }
    }
}

TEST(ReprojectionChain, GoodeLineHandedOnWholeEndsAtTheFirstGap)
{
    // The forward reads a gap pixel as the end marker: handed on in one
    // piece, only the pixels before the first gap are converted.
    const IMAGETYPE source = image_of(9, 0, 0, earth, earth, 0.01, 0.01, 200, 210);
    const IMAGETYPE target = image_of(3, 0, 0, 0, 0, 2, 2, 360, 180);
    const uint16_t width = 400, line = 260;
    _InitProjection(&source, 0);
    _InitProjection(&target, 1);
    std::vector<double> buf(2 * width + 1);
    _ImageToLonLat(&source, line, buf.data(), width, 0);
    // The first run of converted pixels, and the first pixel after its gap.
    uint16_t first = 0;
    while (first < width && buf[2 * first] == marker)
        ++first;
    uint16_t gap = first;
    while (gap < width && buf[2 * gap] != marker)
        ++gap;
    uint16_t next_valid = gap;
    while (next_valid < width && buf[2 * next_valid] == marker)
        ++next_valid;
    ASSERT_LT(next_valid, width);
    const std::vector<double> before = buf;
    _LonLatToImage(&target, &buf[2 * first], 1, 1);
    EXPECT_EQ(buf[2 * next_valid], before[2 * next_valid]);  // not converted
    EXPECT_EQ(buf[2 * next_valid + 1], before[2 * next_valid + 1]);
    const TARGET_PIXEL one = alone(source, target, line, first);
    EXPECT_EQ(integer_at(&buf[2 * first], 0), one.column);
    EXPECT_EQ(integer_at(&buf[2 * first], 1), one.line);
}

} // namespace
