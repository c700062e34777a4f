// Projection code 3, plate carree: longitude and latitude in degrees are the
// plane coordinates, measured from the header's centre.
#include "trasfo/trasfo.h"

namespace quorvex {

// Forward: degrees from the centre are the plane.
int16_t _PlatteCarreForward(double *pp)
{
    const double lon0 = Hdr->lon_center, lat0 = Hdr->lat_center;
    return forward_list(pp, [&](double *p) -> int {
        p[0] = p[0] - lon0;
        p[1] = p[1] - lat0;
        return QUORVEX_SUCCESS;
    });
}

// Inverse: plane degrees plus the centre; nothing is folded or limited.
int16_t _PlatteCarreInverse(double *Buflinedouble)
{
    const double lon0 = Hdr->lon_center, lat0 = Hdr->lat_center;
    return inverse_line(Buflinedouble, [&](double *p) -> int {
        p[0] = p[0] + lon0;
        p[1] = p[1] + lat0;
        return QUORVEX_SUCCESS;
    });
}

} // namespace quorvex
