// Areas of longitudes and latitudes for region: the districts, basins or
// fields whose pixels a series summarises, as GIS programs export them
// (GeoJSON polygons, in degrees, longitude first).
#include "cli.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>

namespace cli {

namespace {

using Json = nlohmann::json;
using Ring = std::vector<std::array<double, 2>>;

// The most bands of latitude an area's edges are sorted into: a place is
// tested against the edges of its band only, so that districts of
// thousands of vertices cost a few edges a pixel.
constexpr std::size_t most_bands = 4096;

// The "type" of a GeoJSON object, or "" for anything else.
std::string type_of(const Json &object)
{
    const auto type = object.is_object() ? object.find("type") : object.end();
    return type != object.end() && type->is_string() ? type->get<std::string>() : "";
}

// What a GeoJSON file holds and how it is read; InputError with the file's
// name and the feature at fault.
class AreaReader {
public:
    explicit AreaReader(const std::string &path) : path_(path) {}

    std::vector<Area> read(std::istream &in)
    {
        Json doc;
        try {
            doc = Json::parse(in);
        } catch (const Json::exception &e) {
            // Without the library's "[json.exception.parse_error.101] ".
            const std::string why = e.what();
            throw InputError(path_ + ": not GeoJSON (" + why.substr(why.find("] ") + 2) + ")");
        }
        // A file exported in a projected coordinate system names it (GDAL
        // and QGIS still write the old "crs" member): a refusal of its
        // coordinates says which it is.
        const Json crs = doc.is_object() ? doc.value("crs", Json()) : Json();
        const Json properties = crs.is_object() ? crs.value("properties", Json()) : Json();
        const Json name = properties.is_object() ? properties.value("name", Json()) : Json();
        if (name.is_string())
            not_degrees_ += " (the file's \"crs\" is " + name.get<std::string>() + ")";
        const std::string type = type_of(doc);
        if (type == "FeatureCollection" && doc.contains("features") && doc["features"].is_array())
            for (const Json &feature : doc["features"])
                add_feature(feature);
        else if (type == "Feature")
            add_feature(doc);
        else if (type == "Polygon" || type == "MultiPolygon")
            add(doc, "1");
        else
            throw InputError(path_ + ": not a GeoJSON FeatureCollection, Feature, Polygon or " +
                             "MultiPolygon");
        if (areas_.empty())
            throw InputError(path_ + ": no areas (a Polygon or MultiPolygon feature for each)");
        return std::move(areas_);
    }

private:
    [[noreturn]] void refuse(const std::string &why) const
    {
        throw InputError(path_ + " feature " + std::to_string(areas_.size() + 1) + ": " + why);
    }

    void add_feature(const Json &feature)
    {
        if (!feature.is_object() || !feature.contains("geometry"))
            refuse("not a Feature with a geometry");
        // The name a GIS program gives, else the feature's id, else its number.
        const Json properties = feature.value("properties", Json());
        std::string name = std::to_string(areas_.size() + 1);
        for (const Json &given :
             {feature.value("id", Json()),
              properties.is_object() ? properties.value("name", Json()) : Json()})
            if (given.is_string())
                name = given.get<std::string>();
            else if (given.is_number())
                name = given.dump();
        add(feature["geometry"], name);
    }

    void add(const Json &geometry, const std::string &name)
    {
        // A tab or line break would split the report's line.
        if (name.find_first_of("\t\r\n") != std::string::npos)
            refuse("an area's name cannot hold a tab or a line break");
        // An unlocated feature (a null geometry) is an area without pixels:
        // its district still has its lines, with nothing counted.
        std::vector<Ring> rings;
        if (!geometry.is_null())
            add_geometry(geometry, rings);
        areas_.emplace_back(name, std::move(rings));
    }

    void add_geometry(const Json &geometry, std::vector<Ring> &rings) const
    {
        const std::string type = type_of(geometry);
        if (type != "Polygon" && type != "MultiPolygon")
            refuse("not a Polygon or MultiPolygon");
        static const Json none;
        const auto found = geometry.find("coordinates");
        const Json &coordinates = found != geometry.end() ? *found : none;
        if (type == "Polygon")
            add_rings(coordinates, rings);
        else if (coordinates.is_array())
            for (const Json &polygon : coordinates)
                add_rings(polygon, rings);
        else
            refuse(not_degrees_);
    }

    void add_rings(const Json &polygon, std::vector<Ring> &rings) const
    {
        // Metres of a projected file (an export left in its layer's
        // coordinate system) are refused, not taken for an area that holds
        // no pixel.
        const auto is_position = [](const Json &p) {
            return p.is_array() && p.size() >= 2 && p[0].is_number() && p[1].is_number() &&
                   in_degrees(p[0].get<double>(), p[1].get<double>());
        };
        if (!polygon.is_array())
            refuse(not_degrees_);
        for (const Json &ring : polygon) {
            if (!ring.is_array() || !std::all_of(ring.begin(), ring.end(), is_position))
                refuse(not_degrees_);
            Ring r;
            for (const Json &p : ring)
                r.push_back({p[0].get<double>(), p[1].get<double>()});
            rings.push_back(std::move(r));
        }
    }

    const std::string path_;
    std::string not_degrees_ = "coordinates are not rings of [longitude, latitude] in degrees";
    std::vector<Area> areas_;
};

} // namespace

Area::Area(std::string area_name, std::vector<std::vector<std::array<double, 2>>> rings)
    : name(std::move(area_name))
{
    std::vector<Edge> edges;
    for (const Ring &ring : rings)
        for (std::size_t k = 0; k < ring.size(); ++k) {
            // The last vertex joins the first, whether the ring repeats it or
            // not.  An edge runs south to north whichever way its ring does,
            // so that two areas sharing it compute the very same crossing
            // and a place on it falls in one of them, never both or neither.
            const auto &a = ring[k], &b = ring[(k + 1) % ring.size()];
            edges.push_back(a[1] <= b[1] ? Edge{a[0], a[1], b[0], b[1]}
                                         : Edge{b[0], b[1], a[0], a[1]});
            west_ = std::min(west_, a[0]), east_ = std::max(east_, a[0]);
            south_ = std::min(south_, a[1]), north_ = std::max(north_, a[1]);
        }
    // As many bands as edges, at most most_bands; halved while the edges
    // would be kept more than a few times over (an area of long spikes
    // would put each edge into most of the bands).
    bands_.resize(north_ > south_ ? std::clamp<std::size_t>(edges.size(), 1, most_bands) : 1);
    for (;;) {
        band_height_ = north_ > south_ ? (north_ - south_) / static_cast<double>(bands_.size()) : 1;
        std::size_t kept = 0;
        for (const Edge &e : edges)
            kept += band_of(std::max(e.y0, e.y1)) - band_of(std::min(e.y0, e.y1)) + 1;
        if (bands_.size() == 1 || kept <= 8 * edges.size() + most_bands)
            break;
        bands_.resize(bands_.size() / 2);
    }
    for (const Edge &e : edges)
        for (std::size_t b = band_of(std::min(e.y0, e.y1)); b <= band_of(std::max(e.y0, e.y1)); ++b)
            bands_[b].push_back(e);
}

std::size_t Area::band_of(double latitude) const
{
    const double b = std::floor((latitude - south_) / band_height_);
    return std::min(bands_.size() - 1, static_cast<std::size_t>(std::max(0.0, b)));
}

// A place is taken as the area draws it: a longitude 360 degrees off
// (an area drawn from 0 to 360, across the 180th meridian) is the same.
bool Area::holds(double longitude, double latitude) const
{
    if (latitude < south_ || latitude > north_)
        return false;
    for (const double lon : {longitude, longitude - 360.0, longitude + 360.0})
        if (lon >= west_ && lon <= east_ && inside(lon, latitude))
            return true;
    return false;
}

Shape Area::shape() const
{
    return {[this](double lon, double lat) { return holds(lon, lat); }, south_, north_};
}

bool Area::inside(double longitude, double latitude) const
{
    bool odd = false;
    for (const Edge &e : bands_[band_of(latitude)])
        if ((e.y0 > latitude) != (e.y1 > latitude) &&
            longitude < e.x0 + (latitude - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0))
            odd = !odd;
    return odd;
}

std::vector<Area> read_areas(std::istream &in, const std::string &path)
{
    return AreaReader(path).read(in);
}

std::vector<Area> read_areas(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw InputError(path + ": cannot open (" + std::strerror(errno) + ")");
    return read_areas(in, path);
}

} // namespace cli
