// Texts and outside numbers of every failure the library reports.
#include "image/messages.h"

namespace quorvex {

const QUORVEX_MESSAGE QuorvexMessage[message_count] = {
    {" Cannot open file <%s>.", 1},
    {" Projection <%s> unknown.", 16},
    {" Unmatched double quote.", 18},
    {" Input image <%s>: \nnot the same Ida Type.", 21},
    {" Input image <%s>: \nnot the same size.", 22},
    {" Input image <%s>: \nnot the same pixel size.", 23},
    {" Input image <%s>: \nnot the same projection.", 24},
    {" Input image <%s>: \nnot the same projection center.", 25},
    {" Input image <%s>: \nnot the same projection parallels.", 26},
    {" Input image <%s>: \nnot the same false Easting/Northing.", 27},
    {" File <%s>: Ida Type <%s> unknown.\n Please update file <IDATYPES.DAT>.", 31},
    {" Syntax error: space illegal on either side of '='.", 35},
};

int16_t status_for(int16_t local_code, int called_from_outside)
{
    return called_from_outside ? QuorvexMessage[local_code].tessaly_nerr : local_code;
}

} // namespace quorvex
