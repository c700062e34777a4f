// The 512-byte IDA header as Brennix addresses it: byte offsets under the
// names of its header report, and little-endian access to the 16-bit fields.
#ifndef BRENNIX_IDA_HEADER_H
#define BRENNIX_IDA_HEADER_H

#include <array>
#include <cstdint>

namespace brennix {

constexpr std::size_t header_size = 512;
using HeaderBytes = std::array<unsigned char, header_size>;

namespace field {
constexpr std::size_t ImageType = 22;  // unsigned byte
constexpr std::size_t Projection = 23; // unsigned byte
constexpr std::size_t Height = 30;     // signed 16-bit
constexpr std::size_t WIDz = 32;       // signed 16-bit
constexpr std::size_t Title = 38;      // 80 characters
constexpr std::size_t title_length = 80;
constexpr std::size_t LatCenter = 120; // 6-byte reals from here to Parallel2
constexpr std::size_t LongCenter = 126;
constexpr std::size_t xcenter = 132;
constexpr std::size_t ycenter = 138;
constexpr std::size_t dx = 144;
constexpr std::size_t dy = 150;
constexpr std::size_t Parallel1 = 156;
constexpr std::size_t Parallel2 = 162;
constexpr std::size_t Lower = 168;    // unsigned byte
constexpr std::size_t Upper = 169;    // unsigned byte
constexpr std::size_t Missing = 170;  // unsigned byte
constexpr std::size_t m = 171;        // 6-byte real: slope
constexpr std::size_t b = 177;        // 6-byte real: intercept
constexpr std::size_t Decimals = 183; // unsigned byte
} // namespace field

inline int read_int16(const HeaderBytes &header, std::size_t at)
{
    return static_cast<int16_t>(
        static_cast<uint16_t>(header[at] | (static_cast<unsigned>(header[at + 1]) << 8)));
}

} // namespace brennix

#endif
