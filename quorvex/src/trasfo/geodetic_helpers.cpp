// Small functions on the ellipsoid shared by the projections: a guarded
// power, the conformal quantities m and t, the authalic q, the meridian
// distance and the iterations that invert t, q and the meridian distance.
// Those that need the eccentricity read it from the current block.
#include "maths/maths.h"
#include "trasfo/trasfo.h"

#include <cmath>

namespace quorvex {

// x^y for x > 0; 0 for a base that is not positive or not a number.
double _Power(double x, double y)
{
    if (!(x > 0.0))
        return 0.0;
    return maths::exp(y * maths::log(x));
}

// m = cos phi / sqrt(1 - e^2 sin^2 phi) (Snyder, eq. 14-15).
double _MFunction(double phi, double sinphi)
{
    const double con = sinphi * Pj->e;
    return maths::cos(phi) / std::sqrt(1.0 - con * con);
}

// t = tan(pi/4 - phi/2) / ((1 - e sin phi) / (1 + e sin phi))^(e/2)
// (Snyder, eq. 15-9).
double _TFunction(double phi, double sinphi)
{
    const double con = sinphi * Pj->e;
    return maths::tan(quarter_pi - 0.5 * phi) /
           _Power((1.0 - con) / (1.0 + con), 0.5 * Pj->e);
}

// Meridian distance for the series en, with sin and cos of phi given.
double _pj_mlfn(double phi, double sphi, double cphi, const double *en)
{
    cphi *= sphi;
    sphi *= sphi;
    return en[0] * phi - cphi * (en[1] + sphi * (en[2] + sphi * (en[3] + sphi * en[4])));
}

// Latitude whose meridian distance is arg, by Newton steps; the last
// estimate when ten steps do not reach 1e-11.
double _pj_inv_mlfn(double arg, double es, const double *en)
{
    const double k = 1.0 / (1.0 - es);
    double phi = arg;
    for (int i = 0; i < 10; ++i) {
        const double s = maths::sin(phi);
        double t = 1.0 - es * s * s;
        t = (_pj_mlfn(phi, s, maths::cos(phi), en) - arg) * (t * std::sqrt(t)) * k;
        phi -= t;
        if (std::fabs(t) < 1e-11)
            return phi;
    }
    return phi;
}

// Latitude whose t value is ts (Snyder, eq. 7-9), by fixed-point steps;
// *err becomes -3 when fifteen steps do not reach 1e-10 radians.
double _pj_phi2(double ts, int16_t *err)
{
    const double e = Pj->e;
    const double eccnth = 0.5 * e;
    double Phi = half_pi - 2.0 * maths::atan(ts);
    for (int i = 0; i < 15; ++i) {
        const double con = e * maths::sin(Phi);
        const double dphi =
            half_pi - 2.0 * maths::atan(ts * maths::pow((1.0 - con) / (1.0 + con), eccnth)) - Phi;
        Phi += dphi;
        if (std::fabs(dphi) < 1e-10)
            return Phi;
    }
    *err = -3;
    return Phi;
}

// Authalic q for sin phi = sinphi (Snyder, eq. 3-12); 2 sin phi on a sphere.
// Reads A_es, so it needs a block that the Albers constants prepared.
double _qsfnz(double sinphi)
{
    const double e = Pj->e;
    if (e > 1e-7) {
        const double con = e * sinphi;
        return (1.0 - Pj->A_es) *
               (sinphi / (1.0 - con * con) - (0.5 / e) * maths::log((1.0 - con) / (1.0 + con)));
    }
    return 2.0 * sinphi;
}

// Latitude whose q value is qs (Snyder, eq. 3-16); *err is 100, or -3 with
// the result 0 when 25 steps do not reach 1e-7 radians.
double phi1z(double qs, int16_t *err)
{
    const double e = Pj->e, es = Pj->A_es;
    *err = status_ok;
    double phi = _asinz(0.5 * qs);
    if (e < 1e-11)
        return phi;
    for (int i = 1; i <= 25; ++i) {
        const double sinpi = maths::sin(phi), cospi = maths::cos(phi);
        const double con = e * sinpi;
        const double com = 1.0 - con * con;
        const double dphi = 0.5 * com * com / cospi *
                            (qs / (1.0 - es) - sinpi / com +
                             0.5 / e * maths::log((1.0 - con) / (1.0 + con)));
        phi += dphi;
        if (std::fabs(dphi) <= 1e-7)
            return phi;
    }
    *err = -3;
    return 0.0;
}

// Arc sine with the argument clamped to [-1, 1].
double _asinz(double con)
{
    if (std::fabs(con) > 1.0)
        con = con > 1.0 ? 1.0 : -1.0;
    return maths::asin(con);
}

} // namespace quorvex
