// Table mapping of pixel bytes.  A plain loop does about one byte per cycle,
// which on large images costs as much as the whole file transfer; with the
// byte-permute instructions of AVX-512 VBMI a 256-entry table look-up takes
// a handful of instructions per 64 bytes.  The processor is asked once.
#include "byte_map.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BRENNIX_HAVE_VBMI_PATH 1
#endif

namespace brennix {
namespace {

#ifdef BRENNIX_HAVE_VBMI_PATH

// A 256-entry look-up in four 64-byte table registers: vpermt2b picks from
// two of them by the low 7 bits of each index, the top bit chooses the pair.
struct WideTable {
    __m512i quarter[4];
};

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) inline __m512i
look_up(const __m512i *quarter, __m512i index)
{
    const __m512i low = _mm512_permutex2var_epi8(quarter[0], index, quarter[1]);
    const __m512i high = _mm512_permutex2var_epi8(quarter[2], index, quarter[3]);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) bool
map_bytes_vbmi(const ByteMapTables &tables, const unsigned char *in, unsigned char *out,
               std::size_t count, std::size_t &done)
{
    __m512i stored[4];
    __m512i logged[4];
    for (int q = 0; q < 4; ++q) {
        stored[q] = _mm512_loadu_si512(tables.stored + 64 * q);
        logged[q] = _mm512_loadu_si512(tables.logged + 64 * q);
    }
    __m512i seen = _mm512_setzero_si512();
    std::size_t i = 0;
    for (; i + 64 <= count; i += 64) {
        const __m512i v = _mm512_loadu_si512(in + i);
        _mm512_storeu_si512(out + i, look_up(stored, v));
        seen = _mm512_or_si512(seen, look_up(logged, v));
    }
    done = i;
    return _mm512_test_epi8_mask(seen, seen) != 0;
}

bool processor_has_vbmi()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

#endif

} // namespace

bool map_bytes_plain(const ByteMapTables &tables, const unsigned char *in, unsigned char *out,
                     std::size_t count)
{
    unsigned seen = 0;
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = tables.stored[in[i]];
        seen |= tables.logged[in[i]];
    }
    return seen != 0;
}

bool map_bytes(const ByteMapTables &tables, const unsigned char *in, unsigned char *out,
               std::size_t count)
{
#ifdef BRENNIX_HAVE_VBMI_PATH
    static const bool vbmi = processor_has_vbmi();
    if (vbmi) {
        std::size_t done = 0;
        const bool seen = map_bytes_vbmi(tables, in, out, count, done);
        return map_bytes_plain(tables, in + done, out + done, count - done) || seen;
    }
#endif
    return map_bytes_plain(tables, in, out, count);
}

} // namespace brennix
