// The bulk table look-up: the plain loop maps up to the first logged byte,
// and every kernel agrees with it on every length, alignment and position
// of that byte.
#include "byte_map.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace brennix {
namespace {

ByteMapTables random_tables(std::mt19937 &random, int logged_one_in)
{
    ByteMapTables tables;
    for (int v = 0; v < 256; ++v) {
        tables.stored[v] = static_cast<unsigned char>(random());
        tables.logged[v] = random() % logged_one_in == 0 ? 1 : 0;
    }
    return tables;
}

TEST(ByteMap, EveryKernelAgreesWithThePlainLoop)
{
    std::vector<ByteMapKernel> kernels = usable_byte_map_kernels();
    kernels.push_back({"dispatch", map_unlogged_prefix});
    std::mt19937 random(7);
    for (int logged_one_in : {1, 2, 40, 100000}) {
        const ByteMapTables tables = random_tables(random, logged_one_in);
        for (std::size_t length : {0u, 1u, 63u, 64u, 65u, 127u, 128u, 1000u, 4099u}) {
            for (std::size_t offset : {0u, 1u, 31u}) {
                std::vector<unsigned char> input(length + offset);
                for (unsigned char &b : input)
                    b = static_cast<unsigned char>(random());
                std::vector<unsigned char> plain = input;
                const std::size_t plain_done =
                    map_unlogged_prefix_plain(tables, plain.data() + offset, length);
                // The plain loop maps up to the first logged byte, which it
                // leaves with the rest.
                for (std::size_t i = 0; i < input.size(); ++i) {
                    const std::size_t at = i - offset;
                    ASSERT_EQ(plain[i],
                              i >= offset && at < plain_done ? tables.stored[input[i]] : input[i]);
                }
                ASSERT_TRUE(plain_done == length || tables.logged[input[offset + plain_done]]);
                for (std::size_t i = offset; i < offset + plain_done; ++i)
                    ASSERT_FALSE(tables.logged[input[i]]);
                for (const ByteMapKernel &kernel : kernels) {
                    std::vector<unsigned char> bytes = input;
                    ASSERT_EQ(kernel.map(tables, bytes.data() + offset, length), plain_done)
                        << kernel.name << " " << length << " " << offset;
                    ASSERT_EQ(bytes, plain) << kernel.name << " " << length << " " << offset;
                }
            }
        }
    }
}

} // namespace
} // namespace brennix
