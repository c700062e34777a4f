// What each byte of an IDA image stands for under the image's description:
// a value, or one of its missing or special codes.  The quorvex program and
// the GDAL driver judge pixels by the same rule.
#ifndef QUORVEX_CLI_PIXEL_KINDS_H
#define QUORVEX_CLI_PIXEL_KINDS_H

#include <quorvex/quorvex.h>

#include <array>
#include <cstdint>

namespace cli {

enum class PixelKind : uint8_t { valid, missing, special };

// The kind of each byte value: missing for the missing codes, special for
// the masking, cloud and no-data codes and the two further special codes
// (a code in two lists takes the first), valid for every other byte.
std::array<PixelKind, 256> pixel_kinds(const IMAGETYPE &image);

} // namespace cli

#endif
