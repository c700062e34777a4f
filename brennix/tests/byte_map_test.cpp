// The bulk table look-up: every kernel and the plain loop agree on every
// length, alignment and position of the first logged byte.
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

TEST(ByteMap, StopsAtTheFirstLoggedByteAndLeavesTheRest)
{
    ByteMapTables tables;
    for (int v = 0; v < 256; ++v) {
        tables.stored[v] = static_cast<unsigned char>(v + 1);
        tables.logged[v] = v == 9 ? 1 : 0;
    }
    for (std::size_t at : {0u, 5u, 63u, 64u, 100u, 199u}) {
        std::vector<unsigned char> bytes(200, 3);
        bytes[at] = 9;
        EXPECT_EQ(map_unlogged_prefix(tables, bytes.data(), bytes.size()), at);
        for (std::size_t i = 0; i < bytes.size(); ++i)
            ASSERT_EQ(bytes[i], i < at ? 4 : i == at ? 9 : 3) << at << " " << i;
    }
    std::vector<unsigned char> clean(300, 3);
    EXPECT_EQ(map_unlogged_prefix(tables, clean.data(), clean.size()), clean.size());
    EXPECT_EQ(clean, std::vector<unsigned char>(300, 4));
}

} // namespace
} // namespace brennix
