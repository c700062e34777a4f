// Fuzz target for the text-record readers.  The input, cut at its first
// zero byte, is one record: it is split by _ReadRec with every field limit
// from 0 to 40, each field goes through _SplitField, _CheckNumber and
// _RetrieveLonLat, and the whole input is read again as a stream of lines.
// Every buffer (the record, the field-pointer array of exactly num entries,
// each field copy) is a heap block of exactly its size, so a write or read
// past any of them is reported.  Checked: the error codes, that the fields
// lie in the record without overlapping, that a smaller limit gives a prefix
// of the fields of a larger one, and the results of the value checks.
#include "fuzz_check.h"
#include "quorvex/quorvex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int16_t largest_limit = 40;
constexpr int16_t space_next_to_equal = -100;
constexpr int16_t syntax_error_index = 11;
constexpr int16_t unmatched_quote_index = 2;
constexpr int16_t error_unset = -1234; // _ReadRec writes MyErr only on error
constexpr int16_t valid_number = 100;
constexpr int16_t invalid_number = -9999;
constexpr double no_angle = -99999.0;
constexpr size_t stream_record_size = 5120;

// A NUL-terminated copy in a block of exactly its size.
std::unique_ptr<char[]> exact_copy(const std::string &text)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

// The rule the splitter refuses a record for, worked out on its own: a
// space directly before or after an "=" ahead of the first comment.
bool has_space_next_to_equal(const std::string &text)
{
    const size_t end = text.find_first_of(";#");
    const size_t limit = end == std::string::npos ? text.size() : end;
    for (size_t i = 0; i < limit; ++i) {
        if (text[i] != '=')
            continue;
        if ((i > 0 && text[i - 1] == ' ') || (i + 1 < text.size() && text[i + 1] == ' '))
            return true;
    }
    return false;
}

struct Split {
    int16_t count;
    int16_t error;
    std::vector<size_t> starts; // offsets of the fields in the record
    std::vector<std::string> fields;
};

Split split(const std::string &text, int16_t num)
{
    std::unique_ptr<char[]> record = exact_copy(text);
    const size_t slots = num > 0 ? static_cast<size_t>(num) : 0;
    std::unique_ptr<char *[]> punt(new char *[slots]);
    Split s;
    s.error = error_unset;
    s.count = _ReadRec(record.get(), punt.get(), nullptr, num, &s.error);

    const char *begin = record.get();
    const char *end = begin + text.size();
    if (s.count == space_next_to_equal) {
        FUZZ_REQUIRE(s.error == syntax_error_index);
        return s;
    }
    FUZZ_REQUIRE(s.count >= 0 && static_cast<size_t>(s.count) <= slots);
    FUZZ_REQUIRE(s.error == error_unset || s.error == unmatched_quote_index);
    const char *previous_end = begin;
    for (int16_t k = 0; k < s.count; ++k) {
        const char *field = punt[k];
        FUZZ_REQUIRE(field >= previous_end && field < end);
        const size_t length = std::strlen(field);
        FUZZ_REQUIRE(field + length <= end);
        // A tab, a line feed and the comment characters never stay inside
        // a field: each ends it or the record.
        FUZZ_REQUIRE(std::strpbrk(field, "\t\n;#") == nullptr);
        s.starts.push_back(static_cast<size_t>(field - begin));
        s.fields.emplace_back(field, length);
        previous_end = field + length + 1;
    }
    return s;
}

void check_split_field(const std::string &field)
{
    std::unique_ptr<char[]> copy = exact_copy(field);
    char *value = copy.get(); // must be overwritten
    int16_t is_equal = 77;
    _SplitField(copy.get(), &value, &is_equal);

    const size_t equal = field.find('=');
    if (equal == std::string::npos) {
        FUZZ_REQUIRE(is_equal == 0 && value == nullptr);
        FUZZ_REQUIRE(field == copy.get());
        return;
    }
    FUZZ_REQUIRE(is_equal == 1);
    FUZZ_REQUIRE(field.compare(0, equal, copy.get()) == 0 && std::strlen(copy.get()) == equal);
    const size_t first_value = field.find_first_not_of('"', equal + 1);
    if (first_value == std::string::npos) {
        FUZZ_REQUIRE(value == nullptr);
    } else {
        FUZZ_REQUIRE(value == copy.get() + first_value);
    }
}

bool only_of(const std::string &text, const char *allowed)
{
    return text.find_first_not_of(allowed) == std::string::npos;
}

void check_number(const std::string &field)
{
    const size_t first = field.find_first_not_of(' ');
    const size_t last = field.find_last_not_of(' ');
    const std::string kept =
        first == std::string::npos ? "" : field.substr(first, last - first + 1);
    const struct {
        int16_t tipo;
        const char *allowed;
    } kinds[] = {{0, "0123456789+-"}, {1, "0123456789.+-"}, {7, "0123456789.+-"}};

    for (const auto &kind : kinds) {
        const bool well_formed = !kept.empty() && only_of(kept, kind.allowed);
        std::unique_ptr<char[]> copy = exact_copy(field);
        FUZZ_REQUIRE(_CheckNumber(copy.get(), kind.tipo, 0.0, 0.0) ==
                     (well_formed ? valid_number : invalid_number));
        // Only trailing spaces are removed, never a leading one.
        const std::string after = copy.get();
        FUZZ_REQUIRE(field.compare(0, after.size(), after) == 0);
        FUZZ_REQUIRE(after.size() >= (first == std::string::npos ? 0 : last + 1));

        std::unique_ptr<char[]> bounded = exact_copy(field);
        const int16_t status = _CheckNumber(bounded.get(), kind.tipo, -90.5, 90.5);
        FUZZ_REQUIRE(status == valid_number || status == invalid_number);
        if (status == valid_number)
            FUZZ_REQUIRE(well_formed);
    }
}

void check_angle(const std::string &text)
{
    const struct {
        int16_t tipo;
        double limit;
    } kinds[] = {{0, 180.0}, {1, 90.0}, {3, 92.0}};
    for (const auto &kind : kinds) {
        std::unique_ptr<char[]> copy = exact_copy(text);
        const double angle = _RetrieveLonLat(copy.get(), kind.tipo);
        FUZZ_REQUIRE(angle == no_angle || (std::isfinite(angle) && std::fabs(angle) <= kind.limit));
    }
}

void check_stream(const uint8_t *data, size_t size)
{
    if (size == 0)
        return;
    FILE *stream = fmemopen(const_cast<uint8_t *>(data), size, "r");
    if (!stream)
        return;
    std::unique_ptr<char[]> record(new char[stream_record_size]);
    char *punt[largest_limit];
    // Every call takes at least one byte, or ends the stream.
    for (size_t calls = 0;; ++calls) {
        FUZZ_REQUIRE(calls <= size);
        int16_t error = error_unset;
        const int16_t count = _ReadRec(record.get(), punt, stream, largest_limit, &error);
        if (count == -1)
            break;
        FUZZ_REQUIRE(count == space_next_to_equal || (count >= 0 && count <= largest_limit));
        for (int16_t k = 0; k < count; ++k)
            FUZZ_REQUIRE(punt[k] >= record.get() &&
                         punt[k] + std::strlen(punt[k]) < record.get() + stream_record_size);
    }
    std::fclose(stream);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data),
                           strnlen(reinterpret_cast<const char *>(data), size));

    // A limit no record of this length can reach: the reference split.
    const int16_t unlimited = static_cast<int16_t>(std::min<size_t>(text.size() / 2 + 2, 32767));
    const Split all = split(text, unlimited);
    FUZZ_REQUIRE((all.count == space_next_to_equal) == has_space_next_to_equal(text));

    for (int16_t num = -1; num <= largest_limit; ++num) {
        const Split limited = split(text, num);
        if (all.count == space_next_to_equal) {
            FUZZ_REQUIRE(limited.count == space_next_to_equal || num <= 0);
            continue;
        }
        const int16_t expected = num <= 0 ? 0 : std::min(num, all.count);
        FUZZ_REQUIRE(limited.count == expected);
        for (int16_t k = 0; k < limited.count; ++k)
            FUZZ_REQUIRE(limited.starts[k] == all.starts[k] && limited.fields[k] == all.fields[k]);
    }

    for (const std::string &field : all.fields) {
        check_split_field(field);
        check_number(field);
        check_angle(field);
    }
    check_number(text);
    check_angle(text);
    check_stream(data, size);
    return 0;
}
