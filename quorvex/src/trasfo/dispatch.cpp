// Which forward, inverse and constant function belong to a projection code.
// The frame installs them at initialisation and calls them by the image's
// code at every conversion; a code without a case here has no operations.
#include "trasfo/trasfo.h"

namespace quorvex {

namespace {

bool set(ProjectionOperations *ops, PROJ_OPERATION forward, PROJ_OPERATION inverse,
         void (*prepare)())
{
    ops->forward = forward;
    ops->inverse = inverse;
    ops->prepare = prepare;
    return true;
}

} // namespace

bool operations_for(int16_t code, ProjectionOperations *ops)
{
    switch (code) {
    case 2: // Hammer-Aitoff: reads Lam0 and Phi0 only
        return set(ops, _HAForwardPoly, _HAInverse, nullptr);
    case 3: // plate carree: no block field is used
        return set(ops, _PlatteCarreForward, _PlatteCarreInverse, nullptr);
    case 4: // Lambert conformal conic; the frame turns a into kilometres
        return set(ops, _LambertCCForward, _LambertCCInverse, _InitLambertCC);
    case 5: // geostationary view
        return set(ops, _MeteoSatForward, _MeteoSatInverse, nullptr);
    case 6: // Lambert azimuthal: takes sin and cos of Phi0 per call
        return set(ops, _LambertAzForward, _LambertAzInverse, nullptr);
    case 7: // polar stereographic
        return set(ops, _PSForward, _PSInverse, _InitPS);
    case 8: // Albers: e^2 and the cone constants
        return set(ops, _AlbersForward, _AlbersInverse, _InitAlbers);
    case 9: // Goode: the library-wide false eastings for this radius
        return set(ops, _GHForward, _GHInverse, _InitGH);
    case 10: // transverse Mercator
        return set(ops, _UtmForward, _UtmInverse, _InitUtm);

    default:
        *ops = ProjectionOperations{};
        return false;
    }
}

} // namespace quorvex
