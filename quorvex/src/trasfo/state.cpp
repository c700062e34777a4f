// The engine's module state: both projection blocks, the pointers and
// counters of the current conversion, and the Goode false-easting table.
#include "trasfo/trasfo.h"

namespace quorvex {

PROJ InpPj = {};
PROJ OutPj = {};
PROJ *Pj = &InpPj; // never null, even before the first call
const HEADER *Hdr = nullptr;
const IMAGETYPE *Pit = nullptr;
uint16_t Width = 0;
int16_t CallType = 0;
double GHFeast[12] = {};

PROJ *block_for(int16_t projtype)
{
    return projtype == 0 ? &InpPj : &OutPj;
}

} // namespace quorvex
