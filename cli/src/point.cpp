// quorvex point: the pixel of each image at one longitude/latitude, or at
// one column and line, its byte and what the byte stands for.  Given a
// stack of images of one grid (a season of vegetation index, years of
// rainfall) it prints the series of one place, a row per image; given a
// file of places (the stations of a network) the series of each.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// InputError unless f has a projection to find places in.
void refuse_unprojected(const IdaFile &f)
{
    if (f.image.header.projection == QUORVEX_PROJECTION_NONE)
        throw InputError(f.path + ": the image has no projection, so no pixel lies at a " +
                         "longitude/latitude");
}

// The report of f's pixel at (an index from its first pixel, or nowhere).
Json row(IdaFile &f, uint32_t at, const std::string *place)
{
    Json r{{"file", f.path},      {"column", nullptr}, {"line", nullptr},   {"longitude", nullptr},
           {"latitude", nullptr}, {"byte", nullptr},   {"kind", "outside"}, {"value", nullptr}};
    if (place != nullptr) {
        Json named{{"place", *place}};
        named.update(r);
        r = std::move(named);
    }
    if (at == nowhere)
        return r;
    const int column = int(at % uint32_t(f.columns)), line = int(at / uint32_t(f.columns));
    r["column"] = column;
    r["line"] = line;
    double longitude, latitude;
    if (f.image.header.projection != QUORVEX_PROJECTION_NONE &&
        pixel_position(f.image, column, line, &longitude, &latitude)) {
        r["longitude"] = longitude;
        r["latitude"] = latitude;
    }
    unsigned char byte;
    read_at(f, column, line, &byte, 1);
    r["byte"] = byte;
    static const char *const kind_names[] = {"valid", "missing", "special"};
    const PixelKind kind = pixel_kinds(f.image)[static_cast<std::size_t>(byte)];
    r["kind"] = kind_names[static_cast<int>(kind)];
    if (kind == PixelKind::valid)
        r["value"] = f.physical(byte);
    return r;
}

// A row as a line of tab-separated fields; "-" for what the pixel lacks and
// the kind in place of a value that is not valid.
std::string text_line(const Json &r)
{
    std::string line = r.contains("place") ? r["place"].get<std::string>() + '\t' : "";
    line += r["file"].get<std::string>();
    for (const char *key : {"column", "line", "longitude", "latitude", "byte", "value"}) {
        const Json &v = r[key];
        line += '\t';
        if (std::strcmp(key, "value") == 0 && v.is_null())
            line += r["kind"].get<std::string>();
        else if (v.is_null())
            line += '-';
        else
            line += v.is_number_float() ? number(v.get<double>()) : v.dump();
    }
    return line;
}

} // namespace

int run_point(Options &options)
{
    const bool at = !options.at.empty(), listed = !options.places.empty();
    if (int(at) + int(!options.pixel.empty()) + int(listed) != 1)
        throw UsageError("point takes one of --at LON,LAT, --pixel COLUMN,LINE and --places FILE");
    std::vector<Place> places;
    if (listed) {
        places = read_places(options.places);
    } else {
        double xy[2];
        if (!parse_numbers(at ? options.at : options.pixel, xy, 2) ||
            (at && !in_degrees(xy[0], xy[1])))
            throw UsageError(at ? "--at needs LON,LAT in degrees, such as 10.5,45"
                                : "--pixel needs COLUMN,LINE in pixels, such as 12,30");
        if (!at && (xy[0] != std::floor(xy[0]) || xy[1] != std::floor(xy[1])))
            throw UsageError("--pixel needs whole numbers of pixels, such as 12,30");
        places.push_back({xy[0], xy[1], ""});
    }
    if (!options.json)
        std::cout << (listed ? "place\t" : "")
                  << "file\tcolumn\tline\tlongitude\tlatitude\tbyte\tvalue\n";
    std::vector<double> lonlat;
    for (const Place &p : places)
        lonlat.insert(lonlat.end(), {p.x, p.y});
    lonlat.push_back(QUORVEX_NO_VALUE);
    return report_each(options.files, [&](const std::string &path) {
        IdaFile f = open_described(path, options.tables);
        std::vector<uint32_t> pixels;
        if (at || listed) {
            refuse_unprojected(f);
            pixels = PixelsUnder(f, 0).find(lonlat);
        } else {
            for (const Place &p : places)
                pixels.push_back(pixel_index(f, p.x, p.y));
        }
        for (std::size_t k = 0; k < places.size(); ++k) {
            const Json r = row(f, pixels[k], listed ? &places[k].name : nullptr);
            std::cout << (options.json ? json_line(r) : text_line(r)) << "\n";
        }
    });
}

} // namespace cli
