// The projection engine's own declarations: the PROJ block of precomputed
// constants, the module state every projection reads, and the internal
// functions of the frame, the geodetic helpers and the projections.
#ifndef QUORVEX_TRASFO_H
#define QUORVEX_TRASFO_H

#include "quorvex/quorvex.h"

#include <stdint.h>

namespace quorvex {

// A forward or inverse operation: converts the buffer in place and returns
// 100 or one of the projection's negative statuses.
typedef int16_t (*PROJ_OPERATION)(double *buffer);

// One projection block.  Angles are radians, lengths are in the unit of the
// header's axes (kilometres for the conformal conic, whose a the frame
// divides by 1000).  Each projection's constants carry its prefix.
struct PROJ {
    double a;    // semi-major axis
    double b;    // semi-minor axis
    double e;    // eccentricity, from the header's undivided axes
    double Phi0; // latitude of the projection centre
    double Lam0; // longitude of the projection centre
    double Phi1; // first standard parallel
    double Phi2; // second standard parallel

    // Lambert conformal conic: cone constant n, constant F, radius of the
    // origin's parallel (in the unit of a).
    double LCC_N;
    double LCC_F;
    double LCC_Rho0;

    // Albers equal-area conic: q at the origin and at both parallels, m at
    // both parallels, C, cone constant n, radius of the origin, and e^2
    // (which the authalic helpers read as well).
    double A_qs0;
    double A_qs1;
    double A_qs2;
    double A_ms1;
    double A_ms2;
    double A_c;
    double A_ns0;
    double A_rh;
    double A_es;

    // Polar stereographic: sqrt((1+e)^(1+e) (1-e)^(1-e)), aspect sign
    // (+1 north, -1 south), 1 when the latitude of true scale is not a
    // pole, and m and t at that latitude.
    double PS_e4;
    double PS_fac;
    double PS_ind;
    double PS_mcs;
    double PS_tcs;

    // Transverse Mercator: e^2, the meridian-distance series coefficients
    // and the second eccentricity squared.
    double Ues;
    double Ue0;
    double Ue1;
    double Ue2;
    double Ue3;
    double Uesp;

    double fe; // false easting, map units
    double fn; // false northing, map units

    PROJ_OPERATION proj_for; // installed forward operation
    PROJ_OPERATION proj_inv; // installed inverse operation
};

// Marker of the buffers: ends a point list, marks a point that cannot be
// converted, stands for an unset parallel or false easting.
constexpr double no_value = QUORVEX_NO_VALUE;

// Degree/radian factors used everywhere in the engine.  They are the
// engine's own decimal literals, slightly short of the full-precision
// ratios; results depend on them to the last digits.
constexpr double deg_to_rad = 0.0174532925199;
constexpr double rad_to_deg = 57.2957795131;
constexpr double half_pi = 1.5707963267948966;
constexpr double quarter_pi = 0.7853981633974483;
constexpr double pi = 3.141592653589793;
constexpr double two_pi = 6.283185307179586;

// Module state, one of each for the library; the blocks are zero at load.
extern PROJ InpPj;           // selected by projtype 0
extern PROJ OutPj;           // selected by any other projtype
extern PROJ *Pj;             // block of the current call
extern const HEADER *Hdr;    // header of the current conversion's image
extern const IMAGETYPE *Pit; // image of the current forward conversion
extern uint16_t Width;       // points of the current inverse conversion
extern int16_t CallType;     // 1: the forward conversion gives integers
extern double GHFeast[12];   // false easting of each Goode region

// The block a selector designates: 0 the input block, anything else the
// output block.
PROJ *block_for(int16_t projtype);

// ---- Frame -----------------------------------------------------------------

// lon (radians) folded into [-pi, pi]; NaN for a value that is not finite.
double _AdjustLon(double lon);

// Rounds the point list pp (ended by the marker) to 32-bit integers in
// place, pairs packed from the start of the buffer.
void _Arrotonda(double *pp);
// The same for exactly count points, whatever their values.
void _Arrotonda(double *pp, long count);

// Number of points of a forward list: pairs before the end marker.
long count_points(const double *pp);

// Second and third passes of every forward operation, for count points
// holding plane coordinates: image column and line through Pit, then
// integers when CallType is 1.
void finish_forward(double *pp, long count);
// The same, leaving pairs that the first pass rejected (-99999, -99999) as
// they are (they become the integers -99999 in integer output).
void finish_forward_keeping_rejected(double *pp, long count);

// A pair that has no position: both values become the marker.
inline void mark(double *pair)
{
    pair[0] = no_value;
    pair[1] = no_value;
}

// The frame's loop of every forward operation: the projection's formula
// point(pair) (returning int) turns each pair of the list, degrees, into plane coordinates
// in place and returns QUORVEX_SUCCESS (having marked the pair, when the
// projection rejects it) or a negative status, which stops the list at
// once: the pair and the rest keep their degrees, the pairs before it their
// plane coordinates, and no grid pass runs.  Otherwise the grid passes
// follow, marked pairs kept as they are when keep_marked.
template <class Point>
int16_t forward_list(double *pp, Point point, bool keep_marked = false)
{
    const long count = count_points(pp);
    for (long k = 0; k < count; ++k) {
        const int status = point(pp + 2 * k);
        if (status != QUORVEX_SUCCESS)
            return static_cast<int16_t>(status);
    }
    if (keep_marked)
        finish_forward_keeping_rejected(pp, count);
    else
        finish_forward(pp, count);
    return QUORVEX_SUCCESS;
}

// The frame's loop of every inverse operation: the projection's formula
// pixel(pair) turns each of the Width plane pairs of the line into degrees
// in place and returns QUORVEX_SUCCESS (having marked the pair, when it has
// no position) or a negative status, which stops the line there: the pair
// and the rest keep their plane coordinates.
template <class Pixel>
int16_t inverse_line(double *buffer, Pixel pixel)
{
    const long width = Width;
    for (long k = 0; k < width; ++k) {
        const int status = pixel(buffer + 2 * k);
        if (status != QUORVEX_SUCCESS)
            return static_cast<int16_t>(status);
    }
    return QUORVEX_SUCCESS;
}

// The frame's two conversions with the operation's status: the forward of
// the point list pp as _LonLatToImage runs it, and the inverse of count
// plane pairs in place as _ImageToLonLat runs it on a prepared line.  An
// image code without operations, or a block never given any, converts
// nothing and gives QUORVEX_PJ_STOPPED.  _ChangeULValues and the tests
// convert through these.
int16_t forward_points(const IMAGETYPE *pit, double *pp, int16_t calltype, int16_t projtype);
int16_t inverse_points(const IMAGETYPE *pit, double *pairs, uint16_t count, int16_t projtype);

// ---- Dispatch by projection code -----------------------------------------

// What the frame installs for one projection code.
struct ProjectionOperations {
    PROJ_OPERATION forward;
    PROJ_OPERATION inverse;
    void (*prepare)(); // constant function, or null when there is none
};

// The operations of a projection code; false for a code the engine does
// not know (forward, inverse and prepare are then null).
bool operations_for(int16_t code, ProjectionOperations *ops);

// ---- Geodetic helpers (read e, and A_es, of the current block) ------------

double _Power(double x, double y);
double _MFunction(double phi, double sinphi);
double _TFunction(double phi, double sinphi);
// tan(pi/4 - phi/2), the tangent of half the colatitude, from sin and cos
// of phi: cos / (1 + sin) north of the equator, (1 - sin) / cos south of
// it, both free of cancellation (the plain tangent keeps only the digits
// of pi/4 - phi/2 near a pole).
double tan_half_colatitude(double phi, double sin_phi, double cos_phi);
double _pj_mlfn(double phi, double sphi, double cphi, const double *en);
double _pj_inv_mlfn(double arg, double es, const double *en);
double _pj_phi2(double ts, int16_t *err);
double _qsfnz(double sinphi);
double phi1z(double qs, int16_t *err);
double _asinz(double con);

// Sum of c[k] sin(2 (k + 1) angle), k = 0 .. count - 1, given sin and cos
// of 2 angle (Clenshaw summation).
double sine_series(double sin2, double cos2, const double *c, int count);

// The latitude from t through the conformal latitude chi: phi - chi as a
// sine series in 2 chi, for one eccentricity.
struct ConformalInverse {
    double c[6]; // coefficients of sin 2 chi .. sin 12 chi
    double es;   // e^2
    bool usable; // the series holds for this eccentricity
};
ConformalInverse conformal_inverse_for(double e);
// Latitude whose t value is ts on the current block, as _pj_phi2 gives it
// (within 1e-11 degrees, same status): the series' latitude, moved to
// where _pj_phi2's iteration stops short of it; _pj_phi2 itself where its
// count of steps is in doubt, for negative or unknown ts, and for e > 0.1.
double latitude_of_t(double ts, const ConformalInverse &s, int16_t *err);

// The latitude from q through the authalic latitude beta (Snyder, eq.
// 3-18): phi - beta as a sine series in 2 beta, and q at the pole.
struct AuthalicInverse {
    double c[3];
    double qp;
    double sin2_max; // largest sin^2(beta) for which the series starts
};
AuthalicInverse authalic_inverse_for(double e);
// Latitude whose q value is qs on the current block (e >= 1e-10), as phi1z
// gives it (within 1e-11 degrees, same status): phi1z's Newton steps
// started from the series, so that the first step is already below
// phi1z's tolerance; phi1z itself next to the poles, for a near-sphere and
// beyond q at the pole.
double latitude_of_q(double qs, const AuthalicInverse &s, int16_t *err);

// ---- Projections -------------------------------------------------------------

// Code 2, Hammer-Aitoff.
int16_t _HAForwardPoly(double *pp);
void _HAForwardSingle(double lon, double lat, double *px, double *py);
int16_t _HAInverse(double *Buflinedouble);

// Code 3, plate carree.
int16_t _PlatteCarreForward(double *pp);
int16_t _PlatteCarreInverse(double *Buflinedouble);

// Code 4, Lambert conformal conic.
void _InitLambertCC();
int16_t _LambertCCForward(double *pp);
int16_t _LambertCCInverse(double *Buflinedouble);

// Code 5, geostationary satellite view.
int16_t _MeteoSatForward(double *pp);
int16_t _MeteoSatInverse(double *Buflinedouble);

// Code 6, Lambert azimuthal equal-area.
int16_t _LambertAzForward(double *pp);
int16_t _LambertAzInverse(double *Buflinedouble);

// Code 7, polar stereographic.
void _InitPS();
int16_t _PSForward(double *pp);
int16_t _PSInverse(double *BuflineDouble);

// Code 8, Albers equal-area conic.
void _InitAlbers();
int16_t _AlbersForward(double *pp);
int16_t _AlbersInverse(double *BuflineDouble);

// Code 9, Goode homolosine.
void _InitGH();
int16_t _GHForward(double *pp);
int16_t _GHInverse(double *BuflineDouble);

// Code 10, transverse Mercator.
void _InitUtm();
int16_t _UtmForward(double *pp);
int16_t _UtmInverse(double *BuflineDouble);

} // namespace quorvex

#endif
