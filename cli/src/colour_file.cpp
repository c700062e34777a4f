// Reading colour files leniently: any blanks between fields, with or
// without the heading, LF or CR LF; anything else is a clear error.
#include "colour_file.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

namespace cli {

namespace {

constexpr const char *field_names[] = {"From", "To", "Red", "Green", "Blue"};
// A colour file is a few hundred bytes; anything far larger is not one.
constexpr std::size_t largest_file = 1 << 20;

bool blank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

std::size_t skip_blanks(const std::string &line, std::size_t at)
{
    while (at < line.size() && blank(line[at]))
        ++at;
    return at;
}

bool starts_with_number(const std::string &line)
{
    const std::size_t at = skip_blanks(line, 0);
    return at < line.size() && line[at] >= '0' && line[at] <= '9';
}

// One class line; returns the reason it is refused, or "".
std::string read_class(const std::string &line, ColourClass *c)
{
    int values[5];
    std::size_t at = 0;
    for (int k = 0; k < 5; ++k) {
        at = skip_blanks(line, at);
        std::size_t end = at;
        while (end < line.size() && !blank(line[end]))
            ++end;
        if (end == at)
            return std::string("no ") + field_names[k] +
                   " (expected From To Red Green Blue Legend)";
        const auto result = std::from_chars(line.data() + at, line.data() + end, values[k]);
        if (result.ec != std::errc() || result.ptr != line.data() + end || values[k] < 0 ||
            values[k] > 255)
            return std::string(field_names[k]) + " '" + line.substr(at, end - at) +
                   "' is not a whole number from 0 to 255";
        at = end;
    }
    if (values[0] > values[1])
        return "From " + std::to_string(values[0]) + " is above To " + std::to_string(values[1]);
    std::size_t end = line.size();
    while (end > at && blank(line[end - 1]))
        --end;
    at = skip_blanks(line, at);
    *c = {values[0],
          values[1],
          static_cast<unsigned char>(values[2]),
          static_cast<unsigned char>(values[3]),
          static_cast<unsigned char>(values[4]),
          at < end ? line.substr(at, end - at) : std::string()};
    return "";
}

} // namespace

bool read_colour_text(const char *text, std::size_t size, const std::string &name,
                      std::vector<ColourClass> *classes, std::string *error)
{
    std::vector<ColourClass> read;
    bool first_line = true;
    std::size_t start = 0;
    for (long number = 1; start < size; ++number) {
        const char *newline =
            static_cast<const char *>(std::memchr(text + start, '\n', size - start));
        const std::size_t end = newline ? static_cast<std::size_t>(newline - text) : size;
        const std::string line(text + start, end - start);
        start = end + 1;
        if (skip_blanks(line, 0) == line.size())
            continue;
        const bool heading = first_line && !starts_with_number(line);
        first_line = false;
        if (heading)
            continue;
        ColourClass c;
        std::string why =
            line.find('\0') != std::string::npos ? "zero byte in the line" : read_class(line, &c);
        if (!why.empty()) {
            *error = name + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        read.push_back(c);
    }
    if (read.empty()) {
        *error = name + ": no colour classes";
        return false;
    }
    *classes = std::move(read);
    return true;
}

bool read_colour_file(const std::string &path, std::vector<ColourClass> *classes,
                      std::string *error)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        *error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char chunk[4096];
    std::size_t got;
    while (text.size() <= largest_file && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text.append(chunk, got);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed || text.size() > largest_file) {
        *error =
            path + ": " + (failed ? std::strerror(reason) : "larger than 1 MiB, not a colour file");
        return false;
    }
    return read_colour_text(text.data(), text.size(), path, classes, error);
}

} // namespace cli
