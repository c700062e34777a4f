// The projection frame: block preparation, the point-list and image-line
// conversions, and the image-grid passes shared by every forward operation.
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

long count_points(const double *pp)
{
    long count = 0;
    while (pp[2 * count] != no_value)
        ++count;
    return count;
}

void finish_forward(double *pp, long count)
{
    const double dx = Pit->dx, dy = Pit->dy;
    const double x_center = Pit->x_center, y_center = Pit->y_center;
    for (long k = 0; k < count; ++k) {
        double *p = pp + 2 * k;
        p[0] = p[0] * dx + x_center;
        p[1] = y_center - p[1] * dy;
    }
    if (CallType == 1)
        _Arrotonda(pp, count);
}

void finish_forward_keeping_rejected(double *pp, long count)
{
    const double dx = Pit->dx, dy = Pit->dy;
    const double x_center = Pit->x_center, y_center = Pit->y_center;
    for (long k = 0; k < count; ++k) {
        double *p = pp + 2 * k;
        if (p[0] == no_value && p[1] == no_value)
            continue;
        p[0] = p[0] * dx + x_center;
        p[1] = y_center - p[1] * dy;
    }
    if (CallType == 1)
        _Arrotonda(pp, count);
}

int16_t forward_points(const IMAGETYPE *pit, double *pp, int16_t calltype, int16_t projtype)
{
    Pit = pit;
    Hdr = &pit->header;
    CallType = calltype;
    Pj = block_for(projtype);

    ProjectionOperations ops;
    if (!operations_for(pit->header.projection, &ops))
        return QUORVEX_PJ_STOPPED;
    return ops.forward(pp);
}

int16_t inverse_points(const IMAGETYPE *pit, double *pairs, uint16_t count, int16_t projtype)
{
    Width = count;
    Pj = block_for(projtype);
    Hdr = &pit->header;

    // The inverse follows the image's own code, as the forward does; a block
    // that was never given operations converts nothing.
    ProjectionOperations ops;
    if (!operations_for(pit->header.projection, &ops) || Pj->proj_inv == nullptr)
        return QUORVEX_PJ_STOPPED;
    return ops.inverse(pairs);
}

} // namespace quorvex

using namespace quorvex;

extern "C" void QUORVEX_CALL _InitProjection(const IMAGETYPE *pit, int16_t projtype)
{
    if (pit == nullptr)
        return;
    const HEADER *hdr = &pit->header;
    const int16_t code = hdr->projection;
    Pj = block_for(projtype);

    // Plate carree reads its centre from the header at every conversion;
    // the block keeps whatever an earlier initialisation left in it.
    if (code != 3) {
        Pj->a = hdr->a;
        Pj->b = hdr->b;
        Pj->e = std::sqrt(1.0 - (hdr->b * hdr->b) / (hdr->a * hdr->a));
        Pj->Phi0 = hdr->lat_center * deg_to_rad;
        if (code == 10) {
            Pj->fe = hdr->fe;
            Pj->fn = hdr->fn;
        }
        Pj->Lam0 = hdr->lon_center * deg_to_rad;
        if (hdr->par1 != no_value) {
            Pj->Phi1 = hdr->par1 * deg_to_rad;
            Pj->Phi2 = hdr->par2 * deg_to_rad;
        }
        if (hdr->fe != no_value && code != 10) {
            Pj->fe = hdr->fe;
            Pj->fn = hdr->fn;
        }
    }

    ProjectionOperations ops;
    if (!operations_for(code, &ops))
        return; // unknown code: the block keeps the operations it had
    if (code == 4)
        Pj->a /= 1000.0; // the conic works in kilometres
    Pj->proj_for = ops.forward;
    Pj->proj_inv = ops.inverse;
    if (ops.prepare != nullptr)
        ops.prepare();
}

extern "C" void QUORVEX_CALL _LonLatToImage(const IMAGETYPE *pit, double *pp, int16_t calltype,
                                            int16_t projtype)
{
    if (pit == nullptr || pp == nullptr)
        return;
    forward_points(pit, pp, calltype, projtype);
}

extern "C" void QUORVEX_CALL _ImageToLonLat(const IMAGETYPE *pit, uint16_t line,
                                            double *Buflinedouble, uint16_t width, int16_t projtype)
{
    if (pit == nullptr || Buflinedouble == nullptr)
        return;
    // The same plane row for every pixel of the line; the counter is wide
    // so that every width up to 65535 is served.
    const double y = (pit->y_center - line) / pit->dy;
    double *p = Buflinedouble;
    for (long pixel = 0; pixel < static_cast<long>(width); ++pixel) {
        *p++ = (static_cast<double>(pixel) - pit->x_center) / pit->dx;
        *p++ = y;
    }
    *p = no_value;
    inverse_points(pit, Buflinedouble, width, projtype);
}
