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
    return maths::tan(quarter_pi - 0.5 * phi) / _Power((1.0 - con) / (1.0 + con), 0.5 * Pj->e);
}

double tan_half_colatitude(double phi, double sin_phi, double cos_phi)
{
    return phi >= 0.0 ? cos_phi / (1.0 + sin_phi) : (1.0 - sin_phi) / cos_phi;
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
    *err = QUORVEX_PJ_NO_CONVERGENCE;
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

namespace {

// phi1z's Newton steps on q from the latitude phi.
double authalic_steps(double qs, double phi, int16_t *err)
{
    const double e = Pj->e, es = Pj->A_es;
    for (int i = 1; i <= 25; ++i) {
        const double sinpi = maths::sin(phi), cospi = maths::cos(phi);
        const double con = e * sinpi;
        const double com = 1.0 - con * con;
        const double dphi =
            0.5 * com * com / cospi *
            (qs / (1.0 - es) - sinpi / com + 0.5 / e * maths::log((1.0 - con) / (1.0 + con)));
        phi += dphi;
        if (std::fabs(dphi) <= 1e-7)
            return phi;
    }
    *err = QUORVEX_PJ_NO_CONVERGENCE;
    return 0.0;
}

} // namespace

// Latitude whose q value is qs (Snyder, eq. 3-16); *err is 100, or -3 with
// the result 0 when 25 steps do not reach 1e-7 radians.
double phi1z(double qs, int16_t *err)
{
    *err = QUORVEX_SUCCESS;
    const double phi = _asinz(0.5 * qs);
    if (Pj->e < 1e-11)
        return phi;
    return authalic_steps(qs, phi, err);
}

// Arc sine with the argument clamped to [-1, 1].
double _asinz(double con)
{
    if (std::fabs(con) > 1.0)
        con = con > 1.0 ? 1.0 : -1.0;
    return maths::asin(con);
}

double sine_series(double sin2, double cos2, const double *c, int count)
{
    // Clenshaw's recurrence on sin(2k angle) = sin(2 angle) U_{k-1}(cos(2 angle)).
    const double twice_cos = 2.0 * cos2;
    double b1 = 0.0, b2 = 0.0;
    for (int k = count - 1; k >= 0; --k) {
        const double b0 = c[k] + twice_cos * b1 - b2;
        b2 = b1;
        b1 = b0;
    }
    return sin2 * b1;
}

ConformalInverse conformal_inverse_for(double e)
{
    // Third flattening n = (a - b) / (a + b) from e; the coefficients are
    // those of Karney (2011), conformal to geodetic latitude, through n^6.
    const double root = std::sqrt(1.0 - e * e);
    const double n = (1.0 - root) / (1.0 + root);
    ConformalInverse s;
    double np = n;
    s.c[0] =
        np * (2.0 + n * (-2.0 / 3 +
                         n * (-2.0 + n * (116.0 / 45 + n * (26.0 / 45 + n * (-2854.0 / 675))))));
    np *= n;
    s.c[1] = np * (7.0 / 3 +
                   n * (-8.0 / 5 + n * (-227.0 / 45 + n * (2704.0 / 315 + n * (2323.0 / 945)))));
    np *= n;
    s.c[2] = np * (56.0 / 15 + n * (-136.0 / 35 + n * (-1262.0 / 105 + n * (73814.0 / 2835))));
    np *= n;
    s.c[3] = np * (4279.0 / 630 + n * (-332.0 / 35 + n * (-399572.0 / 14175)));
    np *= n;
    s.c[4] = np * (4174.0 / 315 + n * (-144838.0 / 6237));
    np *= n;
    s.c[5] = np * (601676.0 / 22275);
    s.es = e * e;
    // The neglected n^7 terms stay below 1e-18 rad up to e = 0.1; beyond it
    // (or for an e that is not a number) _pj_phi2 does all.
    s.usable = e <= 0.1;
    return s;
}

double latitude_of_t(double ts, const ConformalInverse &s, int16_t *err)
{
    if (ts >= 0.0 && s.usable) {
        const double chi = half_pi - 2.0 * maths::atan(ts);
        const double sin2 = maths::sin(2.0 * chi), cos2 = maths::cos(2.0 * chi);
        const double delta = sine_series(sin2, cos2, s.c, 6);
        const double phi = chi + delta;
        // _pj_phi2 steps from chi towards phi, each step's error r times
        // the one before, r = e^2 cos^2(phi) / (1 - e^2 sin^2(phi)) less
        // r tan(phi) times half the error, and stops after the first step
        // under 1e-10 rad, up to 6.7e-13 rad short of phi.  Following the
        // errors gives that same point; where a step comes within 1e-3 of
        // the stopping size the count of steps is in doubt, and _pj_phi2
        // itself decides.  2 phi's sine and cosine come from 2 chi's by the
        // angle 2 delta (|2 delta| < 0.007: its cube is below 1e-7).
        const double d2 = 2.0 * delta;
        const double cos2phi = cos2 * (1.0 - 0.5 * d2 * d2) - sin2 * d2;
        const double sin2phi = sin2 * (1.0 - 0.5 * d2 * d2) + cos2 * d2;
        const double scale = 0.5 * s.es / (1.0 - 0.5 * s.es * (1.0 - cos2phi));
        const double r = scale * (1.0 + cos2phi);
        const double r_tan = scale * sin2phi;
        double error = chi - phi;
        for (int i = 0; i < 15; ++i) {
            const double next = error * (r - 0.5 * r_tan * error);
            const double step = std::fabs(next - error);
            if (std::fabs(step - 1e-10) < 1e-13)
                break;
            error = next;
            if (step < 1e-10)
                return phi + error;
        }
    }
    return _pj_phi2(ts, err);
}

AuthalicInverse authalic_inverse_for(double e)
{
    const double es = e * e;
    AuthalicInverse s;
    s.c[0] = es * (1.0 / 3 + es * (31.0 / 180 + es * (517.0 / 5040)));
    s.c[1] = es * es * (23.0 / 360 + es * (251.0 / 3780));
    s.c[2] = es * es * es * (761.0 / 45360);
    s.qp = 1.0 - 0.5 * (1.0 - es) * maths::log((1.0 - e) / (1.0 + e)) / e;
    // phi1z's last step leaves about tan(phi) / 2 * 1e-14 rad, and its
    // residual, a difference of nearly equal terms, carries about
    // 2e-16 / (e cos(phi)) rad of rounding.  The series start gives the
    // same point within 1e-11 degrees only where both stay small:
    // cos(beta) >= 0.07 (about 86 degrees) and e cos(beta) >= 0.005.
    const double cos_min = std::fmax(0.07, 0.005 / e);
    s.sin2_max = 1.0 - cos_min * cos_min;
    return s;
}

double latitude_of_q(double qs, const AuthalicInverse &s, int16_t *err)
{
    const double sin_beta = qs / s.qp;
    if (!(sin_beta * sin_beta <= s.sin2_max))
        return phi1z(qs, err);
    // sin and cos of 2 beta from sin beta; their rounding near the poles
    // only moves the start, which the Newton step corrects.
    const double cos_beta = std::sqrt(1.0 - sin_beta * sin_beta);
    const double sin2 = 2.0 * sin_beta * cos_beta;
    const double cos2 = 1.0 - 2.0 * sin_beta * sin_beta;
    *err = QUORVEX_SUCCESS;
    return authalic_steps(qs, maths::asin(sin_beta) + sine_series(sin2, cos2, s.c, 3), err);
}

} // namespace quorvex
