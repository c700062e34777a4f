// Re-encoding an image for a new law (physical = slope x byte + intercept):
// the output header, the outcome of every possible input byte, and the
// pixel pass with its out-of-range log lines.
#ifndef BRENNIX_RESCALE_H
#define BRENNIX_RESCALE_H

#include "ida_header.h"
#include "log_file.h"

#include <array>
#include <string>

namespace brennix {

struct Law {
    double slope;
    double intercept;
};

// The input header with the new title, the new law, Lower 0 and Upper
// Missing - 1 (modulo 256); every other byte as it was.
HeaderBytes derive_output_header(const HeaderBytes &input, const std::string &input_name,
                                 const Law &output_law);

// Every output byte, both range tests and the text of the physical value
// depend on the input byte alone, so they are worked out once per run.
class ByteTable {
public:
    ByteTable(const Law &input_law, const Law &output_law, int missing);

    unsigned char stored(unsigned char v) const { return stored_[v]; }
    bool logged(unsigned char v) const { return logged_[v]; }
    // The log text that follows the pixel's column and row: one line per
    // test that fired, each ended by CR LF.
    const std::string &log_tail(unsigned char v) const { return tail_[v]; }

private:
    std::array<unsigned char, 256> stored_;
    std::array<bool, 256> logged_;
    std::array<std::string, 256> tail_;
};

// Re-encodes the rows 0..height-1 of width pixels in place, in file order,
// logging each out-of-range pixel; a height or width of 0 or less visits
// nothing.
void rescale_pixels(unsigned char *pixels, int height, int width, const ByteTable &table,
                    LogFile &log);

} // namespace brennix

#endif
