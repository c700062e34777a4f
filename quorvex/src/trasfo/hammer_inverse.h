// The Hammer-Aitoff inverse of one target point, with the number of secant
// steps it took, so that its stopping behaviour can be examined on its own.
#ifndef QUORVEX_HAMMER_INVERSE_H
#define QUORVEX_HAMMER_INVERSE_H

namespace quorvex {

// Which test ended the secant iteration.
enum HAMMER_STOP { hammer_residual, hammer_determinant, hammer_step_limit };

// How the iteration for one target went: the number of secant updates made
// (0 when the start point already fits) and the test that stopped it.
struct HAMMER_SOLUTION {
    int updates;
    HAMMER_STOP stop;
};

// Longitude and latitude (degrees) whose Hammer plane coordinates are
// (fpixel, fline) on the current block, from the fixed start point, exactly
// as the inverse operation finds them.
HAMMER_SOLUTION hammer_solve(double fpixel, double fline, double *lon, double *lat);

} // namespace quorvex

#endif
