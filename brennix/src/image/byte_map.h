// The pixel loop's one operation: pixel bytes replaced in place through a
// 256-entry table up to the first byte that has to be logged.  Vector
// instructions do it where the processor has them.
#ifndef BRENNIX_BYTE_MAP_H
#define BRENNIX_BYTE_MAP_H

#include <cstddef>
#include <vector>

namespace brennix {

struct ByteMapTables {
    unsigned char stored[256]; // output byte for each input byte
    unsigned char logged[256]; // non-zero when that input byte is logged
};

// Replaces bytes[i] by stored[bytes[i]] for the longest prefix whose bytes
// are none of them logged, and returns its length (count when no byte is
// logged); the byte at that index and those after it are left as they are.
std::size_t map_unlogged_prefix(const ByteMapTables &tables, unsigned char *bytes,
                                std::size_t count);

// The same without vector instructions: any processor, and the quicker
// choice for a few bytes.
std::size_t map_unlogged_prefix_plain(const ByteMapTables &tables, unsigned char *bytes,
                                      std::size_t count);

// One way of doing map_unlogged_prefix.
struct ByteMapKernel {
    const char *name;
    std::size_t (*map)(const ByteMapTables &, unsigned char *, std::size_t);
};

// The ways this processor can run, the plain loop first and the one
// map_unlogged_prefix takes last.
std::vector<ByteMapKernel> usable_byte_map_kernels();

} // namespace brennix

#endif
