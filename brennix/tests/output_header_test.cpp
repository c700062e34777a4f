// The output title, cut at eighty characters whatever the input name.
#include "rescale.h"

#include "run_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brennix {
namespace {

HeaderBytes header_of(const std::string &file)
{
    HeaderBytes header{};
    std::copy(file.begin(), file.begin() + 512, header.begin());
    return header;
}

std::string title_of(const HeaderBytes &header)
{
    return std::string(reinterpret_cast<const char *>(&header[field::Title]), 80);
}

TEST(OutputHeader, TitleIsCutAtEightyCharacters)
{
    test_support::TestImage image;
    const HeaderBytes input = header_of(test_support::make_ida(image));
    const Law law{0.5, -10};
    const std::string fixed = " with new slope and intercept";
    struct {
        std::string name;
        std::string title;
    } cases[] = {
        {"in.ida", "Built from in.ida" + fixed + std::string(80 - 46, ' ')},
        {std::string(60, 'n'), "Built from " + std::string(60, 'n') + " with new"},
        {std::string(69, 'n'), "Built from " + std::string(69, 'n')},
        {std::string(90, 'n'), "Built from " + std::string(69, 'n')},
        {"", "Built from " + fixed + std::string(80 - 40, ' ')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(title_of(derive_output_header(input, c.name, law)), c.title) << c.name;
}

} // namespace
} // namespace brennix
