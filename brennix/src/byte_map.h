// The pixel loop's one operation: every byte of a piece replaced through a
// 256-entry table, noting whether any byte of the piece is one that has to
// be logged.  Vector instructions do it where the processor has them.
#ifndef BRENNIX_BYTE_MAP_H
#define BRENNIX_BYTE_MAP_H

#include <cstddef>

namespace brennix {

struct ByteMapTables {
    unsigned char stored[256];  // output byte for each input byte
    unsigned char logged[256];  // non-zero when that input byte is logged
};

// out[i] = stored[in[i]] for i < count; true when some logged[in[i]] is set.
// in and out must not overlap.
bool map_bytes(const ByteMapTables &tables, const unsigned char *in, unsigned char *out,
               std::size_t count);

// The same without vector instructions, for comparison in tests.
bool map_bytes_plain(const ByteMapTables &tables, const unsigned char *in, unsigned char *out,
                     std::size_t count);

} // namespace brennix

#endif
