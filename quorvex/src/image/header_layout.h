// Byte offsets of the fields of the 512-byte IDA header that the library
// reads or writes.  Integers are little-endian; R48 fields are 6-byte reals.
#ifndef QUORVEX_HEADER_LAYOUT_H
#define QUORVEX_HEADER_LAYOUT_H

#include <stdint.h>

namespace quorvex {

namespace offset {
constexpr int ida_type = 22;    // unsigned byte
constexpr int projection = 23;  // unsigned byte
constexpr int rows = 30;        // signed 16-bit
constexpr int columns = 32;     // signed 16-bit
constexpr int title = 38;       // 80 characters
constexpr int lat_center = 120; // R48, degrees
constexpr int lon_center = 126; // R48, degrees
constexpr int x_center = 132;   // R48, image column of the centre
constexpr int y_center = 138;   // R48, image line of the centre
constexpr int dx = 144;         // R48
constexpr int dy = 150;         // R48
constexpr int par1 = 156;       // R48, degrees
constexpr int par2 = 162;       // R48, degrees
constexpr int lower = 168;      // unsigned byte, type 200 only
constexpr int upper = 169;      // unsigned byte, type 200 only
constexpr int missing = 170;    // unsigned byte, type 200 only
constexpr int slope = 171;      // R48, type 200 only
constexpr int intercept = 177;  // R48, type 200 only
} // namespace offset

inline int16_t read_int16(const unsigned char *bytes, int at)
{
    return static_cast<int16_t>(
        static_cast<uint16_t>(bytes[at] | (static_cast<unsigned>(bytes[at + 1]) << 8)));
}

inline void write_int16(unsigned char *bytes, int at, int16_t value)
{
    const uint16_t u = static_cast<uint16_t>(value);
    bytes[at] = static_cast<unsigned char>(u & 0xff);
    bytes[at + 1] = static_cast<unsigned char>(u >> 8);
}

} // namespace quorvex

#endif
