// same_name on POSIX systems tidies names by hand; std::filesystem is the
// judge of what it must give.
#include "file_access.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace brennix {
namespace {

// Every name of up to three steps (a doubled separator is an empty step),
// relative and from the root, against one name of each tidy form.
TEST(SameName, AgreesWithTheStandardLibrary)
{
    const std::vector<std::string> steps = {"a", "b", ".", "..", ""};
    std::vector<std::string> names = {""};
    for (std::size_t count = 1, begin = 0; count <= 3; ++count) {
        const std::size_t end = names.size();
        for (std::size_t i = begin; i < end; ++i)
            for (const std::string &step : steps)
                names.push_back(names[i] + (count == 1 ? "" : "/") + step);
        begin = end;
    }
    for (std::size_t i = 1, end = names.size(); i < end; ++i)
        names.push_back("/" + names[i]);

    std::map<std::string, std::string> one_of_each; // tidy form: a name
    std::map<std::string, std::string> tidy;
    for (const std::string &name : names) {
        if (name.size() > 1 && name.find_first_not_of('/') == std::string::npos)
            continue; // "//": the standard library keeps both slashes
        std::error_code ignored;
        tidy[name] = std::filesystem::absolute(name, ignored).lexically_normal().string();
        one_of_each.emplace(tidy[name], name);
    }
    ASSERT_GT(one_of_each.size(), 20u);
    for (const auto &[name, form] : tidy)
        for (const auto &[other_form, other] : one_of_each)
            EXPECT_EQ(same_name(name, other), form == other_form)
                << '"' << name << "\" \"" << other << '"';
}

} // namespace
} // namespace brennix
