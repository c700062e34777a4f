// Reading the tables of IDA types, projections and spheroids from text in
// the library's record syntax, through the library's own record functions.
#include "quorvex_tables.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <set>

// The text of default_tables.txt, generated at build time.
extern const char quorvex_default_tables[];
extern const std::size_t quorvex_default_tables_size;

namespace {

// More fields than any row can have; reaching it means the line has too
// many.
constexpr int16_t field_limit = 64;
constexpr int code_slots = 10;
// A tables file is a few kilobytes; anything far larger is not one.
constexpr long largest_file = 1 << 20;

// The library reports these two record errors by their message index only;
// these are its texts for them.
const char unmatched_quote_text[] = "Unmatched double quote.";
const char space_beside_equal_text[] = "Syntax error: space illegal on either side of '='.";

// A key=value field of a row.
struct Field {
    std::string key;
    char *value;
};

// Where the conversion starts: past a leading "+", which the conversion
// does not take.  The library accepts signs anywhere; a value has one sign
// at most, first, so "+-1" keeps its "+" and fails to convert.
const char *number_start(const char *text)
{
    return text[0] == '+' && text[1] != '-' && text[1] != '+' ? text + 1 : text;
}

bool integer_in(char *text, long lowest, long highest, long *out)
{
    if (_CheckNumber(text, QUORVEX_INTEGER_TEXT, static_cast<double>(lowest),
                     static_cast<double>(highest)) != QUORVEX_SUCCESS)
        return false;
    const char *begin = number_start(text);
    const char *end = text + std::strlen(text);
    const auto result = std::from_chars(begin, end, *out);
    return result.ec == std::errc() && result.ptr == end;
}

bool real_value(char *text, double *out)
{
    if (_CheckNumber(text, QUORVEX_REAL_TEXT, 0.0, 0.0) != QUORVEX_SUCCESS)
        return false;
    const char *begin = number_start(text);
    const char *end = text + std::strlen(text);
    const auto result = std::from_chars(begin, end, *out);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(*out);
}

class RowReader {
public:
    explicit RowReader(QuorvexTables &tables) : tables_(tables) {}

    // Reads one row; returns the reason it is refused, or "".
    std::string row(const std::string &kind, const std::vector<Field> &fields)
    {
        if (kind == "projection")
            return projection(fields);
        if (kind == "spheroid")
            return spheroid(fields);
        if (kind == "idatype")
            return idatype(fields);
        return "unknown row '" + kind + "' (expected projection, spheroid or idatype)";
    }

private:
    static std::string bad_value(const Field &f, const std::string &what)
    {
        return "bad value '" + std::string(f.value) + "' for " + f.key + " (" + what + ")";
    }

    // An integer field from lowest to highest into *to.
    template <typename T>
    static std::string take_integer(const Field &f, long lowest, long highest, T *to)
    {
        long value = 0;
        if (!integer_in(f.value, lowest, highest, &value))
            return bad_value(f, std::to_string(lowest) + " to " + std::to_string(highest));
        *to = static_cast<T>(value);
        return "";
    }

    static std::string take_real(const Field &f, double *to)
    {
        return real_value(f.value, to) ? "" : bad_value(f, "a number");
    }

    static std::string unknown_key(const Field &f, const char *kind)
    {
        return "unknown key '" + f.key + "' in a " + kind + " row";
    }

    static std::string copy_name(const Field &f, char *to, std::size_t room)
    {
        if (std::strlen(f.value) >= room)
            return f.key + " longer than " + std::to_string(room - 1) + " characters";
        std::strcpy(to, f.value);
        return "";
    }

    // Takes the row's code; refuses a missing one and one given before.
    static std::string row_code(const std::vector<Field> &fields, long highest, const char *kind,
                                std::set<long> &seen, long *code)
    {
        for (const Field &f : fields)
            if (f.key == "code") {
                const std::string why = take_integer(f, 0, highest, code);
                if (!why.empty())
                    return why;
                if (!seen.insert(*code).second)
                    return std::string(kind) + " " + std::to_string(*code) + " given twice";
                return "";
            }
        return std::string(kind) + " row without code";
    }

    std::string projection(const std::vector<Field> &fields)
    {
        long code = 0;
        std::string why = row_code(fields, 255, "projection", projections_, &code);
        if (!why.empty())
            return why;
        PROJITEM &p = tables_.projections[code];
        p.proj = static_cast<int16_t>(code);
        for (const Field &f : fields) {
            if (f.key == "code")
                continue;
            if (f.key == "name")
                why = copy_name(f, p.name, sizeof p.name);
            else if (f.key == "parfalse")
                why = take_integer(f, 0, 255, &p.parfalse);
            else
                why = unknown_key(f, "projection");
            if (!why.empty())
                return why;
        }
        return "";
    }

    std::string spheroid(const std::vector<Field> &fields)
    {
        long code = 0;
        std::string why =
            row_code(fields, QuorvexTables::spheroid_rows - 1, "spheroid", spheroids_, &code);
        if (!why.empty())
            return why;
        SFEROID &s = tables_.spheroids[code];
        double a = std::numeric_limits<double>::quiet_NaN(), b = a;
        for (const Field &f : fields) {
            if (f.key == "code")
                continue;
            if (f.key == "name")
                why = copy_name(f, s.name, sizeof s.name);
            else if (f.key == "a" || f.key == "b")
                why = take_real(f, f.key == "a" ? &a : &b);
            else
                why = unknown_key(f, "spheroid");
            if (!why.empty())
                return why;
        }
        // The projections divide by both axes and take the root of
        // 1 - b^2/a^2: an axis of zero or a minor axis above the major one
        // would turn every position into a division by zero or a NaN.
        if (std::isnan(a) || std::isnan(b))
            return "spheroid " + std::to_string(code) + " needs both a and b";
        if (!(b > 0.0 && b <= a))
            return "spheroid " + std::to_string(code) + " needs axes with 0 < b <= a";
        s.a = a;
        s.b = b;
        return "";
    }

    static std::string code_list(const Field &f, int32_t *slots, int *count)
    {
        std::fill(slots, slots + code_slots, QUORVEX_NO_VALUE);
        int used = 0;
        for (char *item = f.value; item != nullptr;) {
            char *comma = std::strchr(item, ',');
            if (comma != nullptr)
                *comma = '\0';
            long code = 0;
            if (used == code_slots)
                return f.key + " holds more than 10 codes";
            if (!integer_in(item, 0, 255, &code))
                return "bad code '" + std::string(item) + "' in " + f.key + " (0 to 255)";
            slots[used++] = static_cast<int32_t>(code);
            item = comma != nullptr ? comma + 1 : nullptr;
        }
        *count += used;
        return "";
    }

    std::string idatype(const std::vector<Field> &fields)
    {
        long code = 0;
        std::string why = row_code(fields, 255, "idatype", types_, &code);
        if (!why.empty())
            return why;
        IDATYPE t{};
        t.code = static_cast<uint8_t>(code);
        t.maxcodedvalue = 255;
        for (int32_t *slots : {t.missingcodes, t.maskingcodes, t.cloudcodes, t.nodatacodes})
            std::fill(slots, slots + code_slots, QUORVEX_NO_VALUE);
        t.sp1 = t.sp2 = QUORVEX_NO_VALUE;
        t.slope = 1.0;
        std::string label;
        int specials = 0;
        for (const Field &f : fields) {
            if (f.key == "code")
                continue;
            if (f.key == "label")
                label = f.value;
            else if (f.key == "mincodedvalue")
                why = take_integer(f, 0, 255, &t.mincodedvalue);
            else if (f.key == "maxcodedvalue")
                why = take_integer(f, 0, 255, &t.maxcodedvalue);
            else if (f.key == "missingcodes")
                why = code_list(f, t.missingcodes, &specials);
            else if (f.key == "maskingcodes")
                why = code_list(f, t.maskingcodes, &specials);
            else if (f.key == "cloudcodes")
                why = code_list(f, t.cloudcodes, &specials);
            else if (f.key == "nodatacodes")
                why = code_list(f, t.nodatacodes, &specials);
            else if (f.key == "sp1" || f.key == "sp2") {
                why = take_integer(f, 0, 255, f.key == "sp1" ? &t.sp1 : &t.sp2);
                ++specials;
            } else if (f.key == "slope")
                why = take_real(f, &t.slope);
            else if (f.key == "intercept")
                why = take_real(f, &t.intercept);
            else
                why = unknown_key(f, "idatype");
            if (!why.empty())
                return why;
        }
        if (t.mincodedvalue > t.maxcodedvalue)
            return "idatype " + std::to_string(code) + ": mincodedvalue above maxcodedvalue";
        t.nspecialcodes = static_cast<int16_t>(specials);
        std::shared_ptr<char[]> text(new char[label.size() + 1]);
        std::memcpy(text.get(), label.c_str(), label.size() + 1);
        t.label = text.get();
        tables_.labels.push_back(text);
        tables_.types.push_back(t);
        return "";
    }

    QuorvexTables &tables_;
    std::set<long> projections_, spheroids_, types_;
};

// An odd number of double quotes before the comment: a quoted part that
// never closes.  (The record splitter flags this only when it stops at its
// field limit, which a whole row never reaches.)
bool quotes_unbalanced(const std::string &line)
{
    const std::size_t end = line.find_first_of(";#");
    const std::size_t count = static_cast<std::size_t>(
        std::count(line.begin(), end == std::string::npos ? line.end() : line.begin() + end, '"'));
    return count % 2 != 0;
}

// Reads one line; returns the reason it is refused, or "".
std::string read_line(std::string line, RowReader &reader)
{
    // The record buffer _ReadRec works in holds a line and its end.
    if (line.size() >= QUORVEX_RECORD_SIZE)
        return "line longer than " + std::to_string(QUORVEX_RECORD_SIZE - 1) + " characters";
    if (line.find('\0') != std::string::npos)
        return "zero byte in the line";
    if (quotes_unbalanced(line))
        return unmatched_quote_text;
    std::vector<char> record(line.begin(), line.end());
    record.push_back('\0');
    char *punt[field_limit];
    int16_t error = 0;
    const int16_t count = _ReadRec(record.data(), punt, nullptr, field_limit, &error);
    if (count == QUORVEX_RECORD_SYNTAX_ERROR)
        return space_beside_equal_text;
    if (count == field_limit)
        return "more than " + std::to_string(field_limit - 1) + " fields";
    if (count == 0)
        return "";
    if (std::strchr(punt[0], '=') != nullptr)
        return "a row begins with projection, spheroid or idatype, not '" + std::string(punt[0]) +
               "'";
    std::vector<Field> fields;
    for (int16_t k = 1; k < count; ++k) {
        const std::string text = punt[k];
        char *value = nullptr;
        int16_t is_equal = 0;
        _SplitField(punt[k], &value, &is_equal);
        if (!is_equal)
            return "'" + text + "' is not key=value";
        if (value == nullptr)
            return "no value for " + std::string(punt[k]);
        for (const Field &f : fields)
            if (f.key == punt[k])
                return f.key + " given twice";
        fields.push_back({punt[k], value});
    }
    return reader.row(punt[0], fields);
}

} // namespace

const IDATYPE *QuorvexTables::find_type(int code) const
{
    for (const IDATYPE &t : types)
        if (t.code == code)
            return &t;
    return nullptr;
}

bool load_tables_text(const char *text, std::size_t size, const char *name, QuorvexTables *tables,
                      std::string *error)
{
    QuorvexTables loaded;
    RowReader reader(loaded);
    std::size_t start = 0;
    for (long number = 1; start < size; ++number) {
        const char *newline =
            static_cast<const char *>(std::memchr(text + start, '\n', size - start));
        const std::size_t end = newline ? static_cast<std::size_t>(newline - text) : size;
        std::string line(text + start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string why = read_line(line, reader);
        if (!why.empty()) {
            if (error != nullptr)
                *error = std::string(name) + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        start = end + 1;
    }
    *tables = loaded;
    return true;
}

bool load_tables_file(const char *path, QuorvexTables *tables, std::string *error)
{
    std::FILE *file = std::fopen(path, "rb");
    std::string text;
    std::string why;
    if (file == nullptr) {
        why = std::strerror(errno);
    } else {
        char chunk[4096];
        std::size_t got;
        while (text.size() <= static_cast<std::size_t>(largest_file) &&
               (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            text.append(chunk, got);
        if (std::ferror(file))
            why = std::strerror(errno);
        else if (text.size() > static_cast<std::size_t>(largest_file))
            why = "larger than 1 MiB, not a tables file";
        std::fclose(file);
    }
    if (!why.empty()) {
        if (error != nullptr)
            *error = std::string(path) + ": " + why;
        return false;
    }
    return load_tables_text(text.data(), text.size(), path, tables, error);
}

std::string default_tables_text()
{
    return std::string(quorvex_default_tables, quorvex_default_tables_size);
}

bool load_default_tables(QuorvexTables *tables)
{
    return load_tables_text(quorvex_default_tables, quorvex_default_tables_size,
                            "default_tables.txt", tables, nullptr);
}
