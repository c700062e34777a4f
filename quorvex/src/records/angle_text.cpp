// Reading a longitude or latitude typed as degrees, minutes and seconds.
#include "records/number_text.h"
#include "quorvex/quorvex.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double longest_minutes = 59.99999;
constexpr double longest_seconds = 59.999999;

// Code page 1252 degree sign; a UTF-8 degree sign is the bytes C2 B0.
constexpr char degree_sign = '\xB0';
constexpr char utf8_lead_of_degree = '\xC2';

// Cuts text at the first of its markers; what follows the marker within the
// same part is ignored.
void cut_at_marker(char *text, const char *markers)
{
    char *marker = std::strpbrk(text, markers);
    if (marker == nullptr)
        return;
    if (*marker == degree_sign && marker > text && marker[-1] == utf8_lead_of_degree)
        --marker;
    *marker = '\0';
}

// The part's value, or false when it is no real within [low, high].
bool read_part(char *text, const char *markers, double low, double high, double *value)
{
    cut_at_marker(text, markers);
    if (_CheckNumber(text, QUORVEX_REAL_TEXT, low, high) != QUORVEX_SUCCESS)
        return false;
    *value = quorvex::read_real(text);
    return true;
}

} // namespace

extern "C" double QUORVEX_CALL _RetrieveLonLat(char *str, int16_t tipo)
{
    static const char degree_markers[] = {'d', degree_sign, '\0'};
    if (str == nullptr)
        return QUORVEX_NO_VALUE;
    char *parts[4];
    int16_t error = 0;
    const int16_t count = _ReadRec(str, parts, nullptr, 4, &error);
    if (count < 1 || count > 3)
        return QUORVEX_NO_VALUE;

    const double limit = tipo == QUORVEX_LONGITUDE ? 180.0 : 90.0;
    double degrees = 0.0;
    if (!read_part(parts[0], degree_markers, -limit, limit, &degrees))
        return QUORVEX_NO_VALUE;
    if (count == 1)
        return degrees;

    double minutes = 0.0;
    double seconds = 0.0;
    if (!read_part(parts[1], "'m", 0.0, longest_minutes, &minutes))
        return QUORVEX_NO_VALUE;
    if (count == 3 && !read_part(parts[2], "\"s", 0.0, longest_seconds, &seconds))
        return QUORVEX_NO_VALUE;

    // Minutes and seconds lengthen the degrees away from zero, as "-45 30"
    // is commonly read; "-0 30" is therefore half a degree west or south.
    const double magnitude = std::fabs(degrees) + minutes / 60.0 + seconds / 3600.0;
    const double angle = std::signbit(degrees) ? -magnitude : magnitude;

    if ((tipo == QUORVEX_LONGITUDE || tipo == QUORVEX_LATITUDE) && std::fabs(angle) > limit)
        return QUORVEX_NO_VALUE;
    return angle;
}
