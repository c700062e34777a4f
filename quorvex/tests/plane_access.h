// Direct access to a projection's plane coordinates for the tests: images
// whose pixel grid is the plane itself, forward conversion through the
// frame, inverse conversion of arbitrary plane points through the block.
#ifndef QUORVEX_PLANE_ACCESS_H
#define QUORVEX_PLANE_ACCESS_H

#include "projection_fixtures.h"
#include "trasfo/trasfo.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace plane {

struct POINT {
    double u;  // longitude or x
    double v;  // latitude or y
};

// Parameters of one test projection; angles in degrees, -99999 as unset.
struct DEFINITION {
    int16_t code;
    double a;
    double b;
    double lon0;
    double lat0;
    double par1 = -99999.0;
    double par2 = -99999.0;
    double fe = 0.0;
    double fn = 0.0;
};

// An image with one pixel per plane unit and the plane origin at pixel
// (0, 0): its column is x and its line is -y, both exactly.
inline IMAGETYPE image_of(const DEFINITION &d)
{
    IMAGETYPE it = fixtures::image(d.code, d.lon0, d.lat0, 1.0, 1.0, 0.0, 0.0);
    it.header.a = d.a;
    it.header.b = d.b;
    it.header.par1 = d.par1;
    it.header.par2 = d.par2;
    it.header.fe = d.fe;
    it.header.fn = d.fn;
    return it;
}

// Prepares the input block for the definition and returns its image.
inline IMAGETYPE prepare(const DEFINITION &d)
{
    IMAGETYPE it = image_of(d);
    _InitProjection(&it, 0);
    return it;
}

// The points as a coordinate list closed by the end marker.
inline std::vector<double> packed(const std::vector<POINT> &in)
{
    std::vector<double> buf;
    for (const POINT &p : in) {
        buf.push_back(p.u);
        buf.push_back(p.v);
    }
    buf.push_back(fixtures::end_marker);
    return buf;
}

// Forward through the frame (input block): plane coordinates of each point,
// and the operation's status.
inline int16_t forward(const IMAGETYPE &it, const std::vector<POINT> &in,
                       std::vector<POINT> *out)
{
    std::vector<double> buf = packed(in);
    quorvex::Pit = &it;
    quorvex::Hdr = &it.header;
    quorvex::CallType = 0;
    quorvex::Pj = &quorvex::InpPj;
    const int16_t status = quorvex::InpPj.proj_for(buf.data());
    out->clear();
    for (size_t k = 0; k < in.size(); ++k)
        out->push_back({buf[2 * k], -buf[2 * k + 1]});
    return status;
}

// Inverse of arbitrary plane points through the input block.
inline int16_t inverse(const IMAGETYPE &it, const std::vector<POINT> &in,
                       std::vector<POINT> *out)
{
    std::vector<double> buf = packed(in);
    quorvex::Hdr = &it.header;
    quorvex::Width = static_cast<uint16_t>(in.size());
    quorvex::Pj = &quorvex::InpPj;
    const int16_t status = quorvex::InpPj.proj_inv(buf.data());
    out->clear();
    for (size_t k = 0; k < in.size(); ++k)
        out->push_back({buf[2 * k], buf[2 * k + 1]});
    return status;
}

// One point each way.
inline POINT forward1(const IMAGETYPE &it, POINT p)
{
    std::vector<POINT> out;
    forward(it, {p}, &out);
    return out[0];
}

inline POINT inverse1(const IMAGETYPE &it, POINT p)
{
    std::vector<POINT> out;
    inverse(it, {p}, &out);
    return out[0];
}

} // namespace plane

#endif
