// Images, point lists and integer read-back shared by the projection tests.
#ifndef QUORVEX_PROJECTION_FIXTURES_H
#define QUORVEX_PROJECTION_FIXTURES_H

#include "quorvex/quorvex.h"
#include "trasfo/trasfo.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace fixtures {

constexpr double end_marker = -99999.0;

// An image of the given code and centre with a pixel grid of dx/dy pixels
// per plane unit around (x_center, y_center); no parallels, no offsets.
inline IMAGETYPE image(int16_t code, double lon_center, double lat_center,
                       double dx = 10.0, double dy = 10.0,
                       double x_center = 100.0, double y_center = 50.0)
{
    IMAGETYPE it;
    std::memset(&it, 0, sizeof it);
    it.header.projection = code;
    it.header.lon_center = lon_center;
    it.header.lat_center = lat_center;
    it.header.par1 = -99999.0;
    it.header.par2 = -99999.0;
    it.dx = dx;
    it.dy = dy;
    it.x_center = x_center;
    it.y_center = y_center;
    it.columns = 200;
    it.rows = 100;
    return it;
}

// A forward list: the pairs followed by the end marker.
inline std::vector<double> point_list(std::initializer_list<double> pairs)
{
    std::vector<double> v(pairs);
    v.push_back(end_marker);
    return v;
}

// The k-th 32-bit integer of a buffer rounded in place.
inline int32_t integer_at(const std::vector<double> &buffer, size_t k)
{
    int32_t n;
    std::memcpy(&n, reinterpret_cast<const unsigned char *>(buffer.data()) + 4 * k,
                sizeof n);
    return n;
}

// Plane coordinates of one point through a unit grid (column = x,
// line = -y) prepared in the input block.
inline void plane_of(const IMAGETYPE &it, double lon, double lat, double *x, double *y)
{
    std::vector<double> buf = point_list({lon, lat});
    _LonLatToImage(&it, buf.data(), 0, 0);
    *x = buf[0];
    *y = -buf[1];
}

// Runs the input block's installed inverse on explicit plane pairs, as the
// frame would on a line of that many pixels; returns its status.
inline int16_t inverse_of(const IMAGETYPE &it, std::vector<double> &pairs)
{
    std::vector<double> none(1);
    _ImageToLonLat(&it, 0, none.data(), 0, 0);  // selects block and header
    quorvex::Width = static_cast<uint16_t>(pairs.size() / 2);
    return quorvex::InpPj.proj_inv(pairs.data());
}

} // namespace fixtures

#endif
