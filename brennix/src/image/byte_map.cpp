// Table mapping of pixel bytes.  A plain loop does about one byte per cycle,
// which on large images costs as much as the whole file transfer; with the
// byte-permute instructions of AVX-512 VBMI a 256-entry table look-up takes
// a handful of instructions per 64 bytes.  The processor is asked once.
#include "byte_map.h"

#if defined(__x86_64__) && defined(__GNUC__)
#  include <immintrin.h>
#  define BRENNIX_HAVE_VBMI_PATH 1
#endif

namespace brennix {
namespace {

#ifdef BRENNIX_HAVE_VBMI_PATH

#  define BRENNIX_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

struct WideTable {
    __m512i quarter[4];
};

BRENNIX_VBMI inline WideTable load_table(const unsigned char *table)
{
    WideTable wide;
    for (int q = 0; q < 4; ++q)
        wide.quarter[q] = _mm512_loadu_si512(table + 64 * q);
    return wide;
}

// vpermt2b picks from two table registers by the low 7 bits of each index;
// the top bit chooses the pair.
BRENNIX_VBMI inline __m512i look_up(const WideTable &table, __m512i index)
{
    const __m512i low = _mm512_permutex2var_epi8(table.quarter[0], index, table.quarter[1]);
    const __m512i high = _mm512_permutex2var_epi8(table.quarter[2], index, table.quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

BRENNIX_VBMI std::size_t map_unlogged_prefix_vbmi(const ByteMapTables &tables, unsigned char *bytes,
                                                  std::size_t count)
{
    const WideTable stored = load_table(tables.stored);
    const WideTable logged = load_table(tables.logged);
    std::size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        const __m512i v = _mm512_loadu_si512(bytes + i);
        const __m512i flags = look_up(logged, v);
        const __mmask64 to_log = _mm512_test_epi8_mask(flags, flags);
        const __m512i mapped = look_up(stored, v);
        if (to_log != 0) {
            // Only the bytes before the first logged one are replaced.
            const int first = __builtin_ctzll(to_log);
            const __mmask64 before = first == 0 ? 0 : (~0ULL >> (64 - first));
            _mm512_mask_storeu_epi8(bytes + i, before, mapped);
            return i + static_cast<std::size_t>(first);
        }
        _mm512_storeu_si512(bytes + i, mapped);
    }
    return i + map_unlogged_prefix_plain(tables, bytes + i, count - i);
}

bool processor_has_vbmi()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

const bool use_vbmi = processor_has_vbmi();

#endif

} // namespace

std::size_t map_unlogged_prefix_plain(const ByteMapTables &tables, unsigned char *bytes,
                                      std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (tables.logged[bytes[i]])
            return i;
        bytes[i] = tables.stored[bytes[i]];
    }
    return count;
}

std::vector<ByteMapKernel> usable_byte_map_kernels()
{
    std::vector<ByteMapKernel> kernels{{"plain", map_unlogged_prefix_plain}};
#ifdef BRENNIX_HAVE_VBMI_PATH
    if (use_vbmi)
        kernels.push_back({"avx512vbmi", map_unlogged_prefix_vbmi});
#endif
    return kernels;
}

std::size_t map_unlogged_prefix(const ByteMapTables &tables, unsigned char *bytes,
                                std::size_t count)
{
#ifdef BRENNIX_HAVE_VBMI_PATH
    if (use_vbmi)
        return map_unlogged_prefix_vbmi(tables, bytes, count);
#endif
    return map_unlogged_prefix_plain(tables, bytes, count);
}

} // namespace brennix
