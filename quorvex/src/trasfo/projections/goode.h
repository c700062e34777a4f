// Region tables, region choice and the Mollweide angle of the Goode
// homolosine projection, shared by its operations and examined on their own
// by the tests.
#ifndef QUORVEX_GOODE_H
#define QUORVEX_GOODE_H

namespace quorvex {

// Per region 0-11 (radians): central meridian and longitude range.
extern const double GHCentralMeridian[12];
extern const double GHLowerLimit[12];
extern const double GHUpperLimit[12];

// True for the sinusoidal regions 1, 3, 4, 5, 8 and 9; the others are drawn
// with the Mollweide projection.
bool gh_is_sinusoidal(int region);

// Region of a point given in radians (forward).
int gh_region_of_lonlat(double lam, double phi);

// Region of a map point on the sphere of radius a (inverse).
int gh_region_of_map(double x, double y, double a);

// The Mollweide angle theta of latitude phi (2 theta + sin 2 theta =
// pi sin phi), by Newton's method from phi; false when it finds none.
bool mollweide_theta(double phi, double sin_phi, double cos_phi, double *theta);

// sin theta and cos theta of the same angle, from a fitted start and one
// Halley step (within 6.7e-14 of the Newton iteration's, which runs
// itself within 1.5 degrees of a pole); false when no angle is found.
bool mollweide_sine_cosine(double phi, double sin_phi, double cos_phi, double *sin_theta,
                           double *cos_theta);

} // namespace quorvex

#endif
