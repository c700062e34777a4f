// The bulk table look-up: every kernel, the plain loop among them, maps up
// to the first logged byte, on every length, alignment and position of it.
#include "byte_map.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace brennix {
namespace {

TEST(ByteMap, EveryKernelMapsUpToTheFirstLoggedByte)
{
    std::vector<ByteMapKernel> kernels = usable_byte_map_kernels();
    // The plain loop is always among them, first, so it is always checked.
    ASSERT_EQ(kernels.empty() ? std::string() : kernels.front().name, "plain");
    kernels.push_back({"dispatch", map_unlogged_prefix});
    std::mt19937 random(7);
    for (int logged_one_in : {1, 2, 40, 100000}) {
        ByteMapTables tables;
        for (int v = 0; v < 256; ++v) {
            tables.stored[v] = static_cast<unsigned char>(random());
            tables.logged[v] = random() % logged_one_in == 0 ? 1 : 0;
        }
        for (std::size_t length : {0u, 1u, 63u, 64u, 65u, 127u, 128u, 1000u, 4099u}) {
            for (std::size_t offset : {0u, 1u, 31u}) {
                std::vector<unsigned char> input(length + offset);
                for (unsigned char &b : input)
                    b = static_cast<unsigned char>(random());
                // The longest prefix with no logged byte is mapped, the rest
                // left as it is.
                std::size_t done = 0;
                while (done < length && !tables.logged[input[offset + done]])
                    ++done;
                std::vector<unsigned char> mapped = input;
                for (std::size_t i = offset; i < offset + done; ++i)
                    mapped[i] = tables.stored[input[i]];
                for (const ByteMapKernel &kernel : kernels) {
                    std::vector<unsigned char> bytes = input;
                    ASSERT_EQ(kernel.map(tables, bytes.data() + offset, length), done)
                        << kernel.name << " " << length << " " << offset;
                    ASSERT_EQ(bytes, mapped) << kernel.name << " " << length << " " << offset;
                }
            }
        }
    }
}

} // namespace
} // namespace brennix
