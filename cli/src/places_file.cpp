// The text a user gives places in: numbers separated by commas, as the
// command line takes a place or a box, and files of places (the stations
// of a network), a place a line.
#include "cli.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace cli {

namespace {

std::string without_blanks(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The longest line a places file may have: a file that is no places file
// (an image named by mistake, a device without end) is refused at its first
// long line rather than read whole into memory.
constexpr std::size_t longest_place = 1000;

// Whether line names a table's columns ("lon,lat,name", as spreadsheets
// and GIS programs export a table): neither of its first two fields is a
// number, so that a place with one mistyped number is still refused.
bool names_columns(const std::string &line)
{
    const auto is_number = [](const std::string &field) {
        double value;
        return parse_numbers(field, &value, 1);
    };
    const std::size_t comma = line.find(',');
    if (is_number(line.substr(0, comma)))
        return false;
    return comma == std::string::npos ||
           !is_number(line.substr(comma + 1, line.find(',', comma + 1) - comma - 1));
}

} // namespace

bool parse_numbers(const std::string &text, double *values, std::size_t count)
{
    std::size_t from = 0;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t comma = k + 1 < count ? text.find(',', from) : text.size();
        if (comma == std::string::npos)
            return false;
        const std::string part = text.substr(from, comma - from);
        char *end = nullptr;
        values[k] = std::strtod(part.c_str(), &end);
        // strtod takes the blanks before a number; these are the ones after.
        while (end != part.c_str() && (*end == ' ' || *end == '\t'))
            ++end;
        if (end == part.c_str() || *end != '\0' || !std::isfinite(values[k]))
            return false;
        from = comma + 1;
    }
    return true;
}

std::vector<Place> read_places(std::FILE *file, const std::string &path)
{
    std::vector<Place> places;
    bool read_any = false; // a line other than a blank one or a comment
    std::string text;
    for (int number = 1, c = 0; c != EOF; ++number) {
        const std::string at = path + " line " + std::to_string(number) + ": ";
        // A zero byte is refused as the tables and colour files refuse it:
        // a text saved as UTF-16 holds one in every other byte.
        text.clear();
        while ((c = std::getc(file)) != EOF && c != '\n') {
            if (c == '\0')
                throw InputError(at + "zero byte in the line, not a place");
            if (text.size() == longest_place)
                throw InputError(at + "longer than " + std::to_string(longest_place) +
                                 " characters, not a place");
            text.push_back(static_cast<char>(c));
        }
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        const std::string line = without_blanks(text);
        if (line.empty() || line[0] == '#')
            continue;
        const bool first = !read_any;
        read_any = true;
        if (first && names_columns(line))
            continue;
        const std::size_t comma = line.find(',', line.find(',') + 1);
        const std::string numbers = line.substr(0, comma);
        double xy[2];
        if (!parse_numbers(numbers, xy, 2) || !in_degrees(xy[0], xy[1]))
            throw InputError(at + "a place needs LON,LAT or LON,LAT,NAME in degrees, such as " +
                             "10.5,45,Rome");
        // A place without a name, or with an empty one ("10,45,"), is
        // named by its numbers.
        const std::string given =
            comma == std::string::npos ? "" : without_blanks(line.substr(comma + 1));
        const std::string name = given.empty() ? numbers : given;
        // A tab or line break would split the report's line (a file of
        // lines ended by a carriage return alone is one line here).
        if (name.find_first_of("\t\r") != std::string::npos)
            throw InputError(at + "a place's name cannot hold a tab or a line break");
        places.push_back({xy[0], xy[1], name});
    }
    if (std::ferror(file))
        throw InputError(path + ": read failed (" + std::strerror(errno) + ")");
    if (places.empty())
        throw InputError(path + ": no places (a line LON,LAT or LON,LAT,NAME for each)");
    return places;
}

std::vector<Place> read_places(const std::string &path)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        throw InputError(path + ": cannot open (" + std::strerror(errno) + ")");
    return read_places(file.get(), path);
}

} // namespace cli
