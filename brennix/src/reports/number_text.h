// The text forms in which Brennix writes numbers: the general number text of
// the console, log and colour file, the print zones of a line, and the two
// fixed-width masks of the header report.
#ifndef BRENNIX_NUMBER_TEXT_H
#define BRENNIX_NUMBER_TEXT_H

#include <cstdint>
#include <string>

namespace brennix {

// The value kept to 15 significant digits of its exact decimal expansion
// (the first dropped digit alone decides; a 5 makes the last kept digit
// even), a sign position first ("-" or a space), fixed notation while the
// whole part and the fraction each fit in 15 digits, scientific otherwise,
// and one space after the number.
std::string number_text(double value);

// The same text for a whole number, without the detour through decimals.
void append_integer_text(std::string &out, long long value);

// A line of console or log text whose comma-separated items start at the
// next column that is a multiple of the zone width.
class ZonedLine {
public:
    static constexpr std::size_t zone_width = 14;

    ZonedLine &add(const std::string &text);
    // Spaces up to the next zone start; a full zone when already on one.
    ZonedLine &next_zone();
    const std::string &text() const { return text_; }

private:
    std::string text_;
};

// Whole-number value of a report line: right-aligned in 21 positions, a
// minus sign directly before the first digit; a wider value widens the text.
std::string whole_mask_text(long long value);

// Real value of a report line: 7 positions of whole part, a point and 13
// decimals, trailing zero decimals written as spaces.  The value is first
// taken to 18 significant digits, then rounded to 13 decimals with exact
// halves of those 18 digits going to the even neighbour.
std::string real_mask_text(double value);

} // namespace brennix

#endif
