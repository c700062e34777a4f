// Re-encoding an image for a new law (physical = slope x byte + intercept):
// the output header, the outcome of every possible input byte, and the
// pixel pass with its out-of-range log lines.
#ifndef BRENNIX_RESCALE_H
#define BRENNIX_RESCALE_H

#include "byte_map.h"
#include "ida_header.h"
#include "log_file.h"

#include <array>
#include <cstdint>
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

    unsigned char stored(unsigned char v) const { return maps_.stored[v]; }
    const ByteMapTables &maps() const { return maps_; }
    // The log text that follows the pixel's column and row: one line per
    // test that fired, each ended by CR LF.
    const std::string &log_tail(unsigned char v) const { return tail_[v]; }

private:
    ByteMapTables maps_;
    std::array<std::string, 256> tail_;
};

// Re-encodes the pixels of an image in file order, piece by piece, and logs
// each out-of-range pixel with its column and row.  Only rows 0..height-1
// of width pixels are visited; with a height or width of 0 or less the
// bytes pass unchanged.
class PixelRescaler {
public:
    PixelRescaler(const ByteTable &table, int height, int width, LogFile &log);
    // A rescaler of the same image that goes on from pixel `first` and logs
    // into `log`.
    PixelRescaler(const PixelRescaler &image, std::size_t first, LogFile &log);
    // The next count pixels, re-encoded in place.  With a log limit it stops
    // after the first logged pixel that leaves the log holding at least that
    // many bytes; it returns how many pixels it re-encoded.
    std::size_t next(unsigned char *pixels, std::size_t count, std::size_t log_limit = SIZE_MAX);
    // Goes on from pixel `position`, the pixels before it done elsewhere.
    void move_to(std::size_t position) { position_ = position; }
    // Appends the lines of a held log to this rescaler's log.
    void take_held_log(LogFile &held) { log_.take_held(held); }

private:
    void log_pixel(std::size_t position, unsigned char v);

    const ByteTable &table_;
    const bool visits_;
    const std::size_t width_;
    LogFile &log_;
    std::size_t position_ = 0;
    std::string column_text_;
    std::string row_text_;
};

} // namespace brennix

#endif
