// quorvex info: what an IDA file holds, as the header names it, as the
// library describes it, and what its pixels add up to.  One report object
// per file, printed as JSON or as indented text.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <iostream>

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// The header bytes by their report names, in report order.
Json header_fields(const unsigned char *h)
{
    std::size_t title_end = 80;
    while (title_end > 0 && (h[38 + title_end - 1] == ' ' || h[38 + title_end - 1] == '\0'))
        --title_end;
    return Json{{"ImageType", h[22]},
                {"Projection", h[23]},
                {"Height", int16_at(h, 30)},
                {"WIDz", int16_at(h, 32)},
                {"Title", printable(reinterpret_cast<const char *>(h + 38), title_end)},
                {"LatCenter", r48(h, 120)},
                {"LongCenter", r48(h, 126)},
                {"xcenter", r48(h, 132)},
                {"ycenter", r48(h, 138)},
                {"dx", r48(h, 144)},
                {"dy", r48(h, 150)},
                {"Parallel1", r48(h, 156)},
                {"Parallel2", r48(h, 162)},
                {"Lower", h[168]},
                {"Upper", h[169]},
                {"Missing", h[170]},
                {"m", r48(h, 171)},
                {"b", r48(h, 177)},
                {"Decimals", h[183]}};
}

Json codes(const int32_t *slots, int count)
{
    Json list = Json::array();
    for (int i = 0; i < count; ++i)
        if (slots[i] != QUORVEX_NO_VALUE)
            list.push_back(slots[i]);
    return list;
}

Json optional(bool given, const Json &value)
{
    return given ? value : Json();
}

Json name_text(const char *name, std::size_t room)
{
    const std::size_t length = strnlen(name, room);
    return length == 0 ? Json() : Json(printable(name, length));
}

// What _IDAHeaderToIT gave; fields it did not fill are null.
Json description(const IdaFile &f, const QuorvexTables &tables)
{
    const IMAGETYPE &it = f.image;
    const HEADER &h = it.header;
    const bool sized = f.status != QUORVEX_NERR_PROJECTION_UNKNOWN;
    const bool located = sized && f.header[projection_offset] != QUORVEX_PROJECTION_NONE;
    const bool coded = f.status == QUORVEX_SUCCESS;
    const bool own_range = coded && it.ida_type == QUORVEX_IDA_TYPE_IN_HEADER;
    const bool axes = sized && h.spheroid != 0;
    const bool named = axes && h.spheroid < QuorvexTables::spheroid_rows;
    const IDATYPE *type = tables.find_type(f.header[ida_type_offset]);
    const PROJITEM &projection = tables.projections[h.projection & 0xff];
    return Json{
        {"status", f.status},
        {"message", optional(!f.message.empty(), f.message)},
        {"ida_type", optional(sized, it.ida_type)},
        {"ida_type_label", optional(sized && type != nullptr && type->label[0] != '\0',
                                    type ? printable(type->label, std::strlen(type->label)) : "")},
        {"rows", optional(sized, it.rows)},
        {"columns", optional(sized, it.columns)},
        {"projection",
         {{"code", h.projection}, {"name", name_text(projection.name, sizeof projection.name)}}},
        {"spheroid",
         {{"code", optional(sized, h.spheroid)},
          {"name",
           named ? name_text(tables.spheroids[h.spheroid].name, sizeof tables.spheroids[0].name)
                 : Json()},
          {"a", optional(axes, h.a)},
          {"b", optional(axes, h.b)}}},
        {"lat_center", optional(located, h.lat_center)},
        {"lon_center", optional(located, h.lon_center)},
        {"par1", optional(located && h.par1 != QUORVEX_NO_VALUE, h.par1)},
        {"par2", optional(located && h.par2 != QUORVEX_NO_VALUE, h.par2)},
        {"x_center", optional(located, it.x_center)},
        {"y_center", optional(located, it.y_center)},
        {"dx", optional(located, it.dx)},
        {"dy", optional(located, it.dy)},
        {"mincodedvalue", optional(own_range, it.mincodedvalue)},
        {"maxcodedvalue", optional(own_range, it.maxcodedvalue)},
        {"missingcodes", optional(coded, codes(it.missingcodes, 10))},
        {"maskingcodes", optional(coded, codes(it.maskingcodes, 10))},
        {"cloudcodes", optional(coded, codes(it.cloudcodes, 10))},
        {"nodatacodes", optional(coded, codes(it.nodatacodes, 10))},
        {"sp1", optional(coded && it.sp1 != QUORVEX_NO_VALUE, it.sp1)},
        {"sp2", optional(coded && it.sp2 != QUORVEX_NO_VALUE, it.sp2)},
        {"nspecialcodes", optional(coded, it.nspecialcodes)},
        {"slope", optional(coded, it.slope)},
        {"intercept", optional(coded, it.intercept)}};
}

// Counts of the pixel kinds and the physical values of the valid pixels,
// from a histogram of the bytes.
void add_pixels(IdaFile &f, Json &report)
{
    std::array<uint64_t, 256> histogram{};
    read_pixels(f, [&histogram](const unsigned char *bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            ++histogram[bytes[i]];
    });
    add_pixel_report(f, histogram, report);
}

Json position(const IMAGETYPE &image, int column, int line)
{
    double longitude, latitude;
    if (!pixel_position(image, column, line, &longitude, &latitude))
        return Json();
    return Json{{"longitude", longitude}, {"latitude", latitude}};
}

Json corners(const IdaFile &f)
{
    const int right = f.columns - 1, bottom = f.rows - 1;
    const struct {
        const char *name;
        int column, line;
    } pixels[] = {{"upper_left", 0, 0},
                  {"upper_right", right, 0},
                  {"lower_left", 0, bottom},
                  {"lower_right", right, bottom},
                  {"centre", f.columns / 2, f.rows / 2}};
    Json all = Json::object();
    for (const auto &p : pixels)
        all[p.name] = {{"column", p.column},
                       {"line", p.line},
                       {"position", position(f.image, p.column, p.line)}};
    return all;
}

Json report(IdaFile &f, const QuorvexTables &tables)
{
    Json r{{"file", f.path},
           {"size", QUORVEX_HEADER_SIZE + f.pixel_count()},
           {"header", header_fields(f.header)},
           {"description", description(f, tables)},
           {"law", nullptr},
           {"pixels", nullptr},
           {"statistics", nullptr},
           {"corners", nullptr}};
    if (f.status != QUORVEX_SUCCESS)
        return r;
    r["law"] = {{"slope", f.image.slope}, {"intercept", f.image.intercept}};
    add_pixels(f, r);
    if (f.image.header.projection != QUORVEX_PROJECTION_NONE && f.pixel_count() > 0)
        r["corners"] = corners(f);
    return r;
}

std::string scalar_text(const std::string &key, const Json &value)
{
    if (value.is_null())
        return key == "position" ? "no position" : "none";
    if (value.is_string()) {
        // The library's messages may hold a line break.
        std::string text = value.get<std::string>();
        std::replace(text.begin(), text.end(), '\n', ' ');
        return text;
    }
    if (value.is_number_float())
        return number(value.get<double>());
    if (value.is_array()) {
        std::string list;
        for (const Json &item : value)
            list += (list.empty() ? "" : ", ") + scalar_text(key, item);
        return list.empty() ? "none" : list;
    }
    return value.dump();
}

// Small objects of plain values on one line ("slope 0.5, intercept -10"),
// others as indented sections.
bool fits_one_line(const Json &value)
{
    if (!value.is_object() || value.size() > 5)
        return false;
    for (const auto &member : value.items())
        if (member.value().is_structured() || member.value().is_null())
            return false;
    return true;
}

void print_text(const Json &object, int depth)
{
    for (const auto &member : object.items()) {
        std::cout << std::string(2 * depth, ' ') << member.key() << ":";
        const Json &value = member.value();
        if (fits_one_line(value)) {
            std::string line;
            for (const auto &part : value.items())
                line += (line.empty() ? " " : ", ") + part.key() + " " +
                        scalar_text(part.key(), part.value());
            std::cout << line << "\n";
        } else if (value.is_object()) {
            std::cout << "\n";
            print_text(value, depth + 1);
        } else {
            std::cout << " " << scalar_text(member.key(), value) << "\n";
        }
    }
}

} // namespace

int run_info(Options &options)
{
    return report_each(options.files, [&](const std::string &path) {
        if (!options.json && &path != &options.files.front())
            std::cout << "\n";
        IdaFile f = open_ida(path);
        describe(f, options.tables);
        const Json r = report(f, options.tables);
        if (options.json)
            std::cout << r.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
        else
            print_text(r, 0);
        if (f.status != QUORVEX_SUCCESS)
            throw InputError(refusal(f));
    });
}

} // namespace cli
