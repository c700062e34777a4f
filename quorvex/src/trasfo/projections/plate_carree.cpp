// Projection code 3, plate carree: longitude and latitude in degrees are the
// plane coordinates, measured from the header's centre.
#include "trasfo/trasfo.h"

namespace quorvex {

// Forward: degrees straight to image column and line, in one pass.
int16_t _PlatteCarreForward(double *pp)
{
    const double lon0 = Hdr->lon_center, lat0 = Hdr->lat_center;
    const double dx = Pit->dx, dy = Pit->dy;
    const double x_center = Pit->x_center, y_center = Pit->y_center;
    const long count = count_points(pp);
    for (long k = 0; k < count; ++k) {
        double *p = pp + 2 * k;
        p[0] = (p[0] - lon0) * dx + x_center;
        p[1] = y_center - (p[1] - lat0) * dy;
    }
    if (CallType == 1)
        _Arrotonda(pp, count);
    return QUORVEX_SUCCESS;
}

// Inverse: plane degrees plus the centre; nothing is folded or limited.
int16_t _PlatteCarreInverse(double *Buflinedouble)
{
    const double lon0 = Hdr->lon_center, lat0 = Hdr->lat_center;
    for (long k = 0; k < Width; ++k) {
        double *p = Buflinedouble + 2 * k;
        p[0] = p[0] + lon0;
        p[1] = p[1] + lat0;
    }
    return QUORVEX_SUCCESS;
}

} // namespace quorvex
