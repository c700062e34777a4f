// The places of the pixels of an image's lines through the library's
// inverse, and points converted through its forward, with the engine's
// stops and marks sorted out: what warp takes from and puts on its grids,
// and crop and region search for the pixels in a box.
#include "cli.h"

#include <algorithm>
#include <cmath>

namespace cli {

namespace {

// Whether a place that f's forward took to back leads back to pixel x
// of line y.
bool leads_back(const double *back, int x, int y)
{
    return std::fabs(back[0] - x) <= round_trip_pixels &&
           std::fabs(back[1] - y) <= round_trip_pixels;
}

} // namespace

// A longitude is in the box when it lies east of west by no more than east
// does, on the circle, so that a box whose west lies east of its east
// crosses the 180th meridian.
bool Box::holds(double longitude, double latitude) const
{
    const double width = east >= west ? east - west : east - west + 360.0;
    const double offset = std::fmod(std::fmod(longitude - west, 360.0) + 360.0, 360.0);
    return latitude >= south && latitude <= north && offset <= width;
}

Shape Box::shape() const
{
    const Box box = *this;
    return {[box](double lon, double lat) { return box.holds(lon, lat); }, south, north};
}

Box parse_box(const std::string &text)
{
    double v[4];
    if (!parse_numbers(text, v, 4) || v[1] > v[3] || !in_degrees(v[0], v[1]) ||
        !in_degrees(v[2], v[3]))
        throw UsageError("--box needs WEST,SOUTH,EAST,NORTH in degrees, such as -10,35,30,60");
    return {v[0], v[1], v[2], v[3]};
}

ShapeSearch::ShapeSearch(const IdaFile &f, std::vector<Shape> shapes, const std::string &what)
    : f_(f), shapes_(std::move(shapes)), columns_(shapes_.size())
{
    if (f.image.header.projection == QUORVEX_PROJECTION_NONE)
        throw InputError(f.path + ": the image has no projection, so no pixel lies in " + what +
                         " of longitudes and latitudes");
    _InitProjection(&f.image, 0);
}

// (The pixels LinePlaces finds come in the order of their columns.)
const std::vector<std::vector<int>> &ShapeSearch::columns(int y)
{
    line_.find(f_, 0, y);
    double south = 90, north = -90;
    for (std::size_t k = 0; k < line_.taken.size(); ++k)
        south = std::min(south, line_.places[2 * k + 1]),
        north = std::max(north, line_.places[2 * k + 1]);
    for (std::size_t s = 0; s < shapes_.size(); ++s) {
        columns_[s].clear();
        if (shapes_[s].north < south || shapes_[s].south > north)
            continue;
        for (std::size_t k = 0; k < line_.taken.size(); ++k)
            if (shapes_[s].holds(line_.places[2 * k], line_.places[2 * k + 1]))
                columns_[s].push_back(line_.taken[k]);
    }
    return columns_;
}

// Where the engine stops at a point (the antipode of an azimuthal centre,
// a point at infinity), it leaves that point and the later ones as they
// were and the earlier ones converted; the list is then converted again
// from the point after the stop.
void to_image(const IMAGETYPE &image, int16_t block, std::vector<double> &points,
              std::vector<double> &given)
{
    const std::size_t count = points.size() / 2;
    given = points;
    for (std::size_t from = 0; from < count;) {
        _LonLatToImage(&image, points.data() + 2 * from, 0, block);
        // The stop is the first of the points that all came back unchanged.
        std::size_t stop = count;
        while (stop > from && points[2 * stop - 2] == given[2 * stop - 2] &&
               points[2 * stop - 1] == given[2 * stop - 1])
            --stop;
        if (stop == count)
            return;
        std::copy(given.begin() + 2 * from, given.begin() + 2 * stop, points.begin() + 2 * from);
        points[2 * stop] = QUORVEX_NO_VALUE;
        _LonLatToImage(&image, points.data() + 2 * from, 0, block);
        from = stop + 1;
    }
}

uint32_t pixel_index(const IdaFile &f, double column, double line)
{
    const double c = std::ceil(column - 0.5), l = std::ceil(line - 0.5);
    if (c >= 0 && c < f.columns && l >= 0 && l < f.rows)
        return uint32_t(l) * uint32_t(f.columns) + uint32_t(c);
    return nowhere;
}

PixelsUnder::PixelsUnder(const IdaFile &f, int16_t block) : f_(&f), block_(block)
{
    _InitProjection(&f.image, block);
    const double lon = f.image.header.lon_center, lat = f.image.header.lat_center;
    points_ = {lon, lat, lon + 360.0, lat, QUORVEX_NO_VALUE};
    to_image(f.image, block, points_, given_);
    turns_ = std::fabs(points_[0] - points_[2]) > round_trip_pixels ||
             std::fabs(points_[1] - points_[3]) > round_trip_pixels;
}

// A plate carree's lines do not depend on longitude and its columns run dx
// a degree: a place whose line misses the image, or whose column turned
// lies a pixel beyond it (a margin far beyond the rounding of the turned
// column), is not looked for there.  Any other image is looked at.
bool PixelsUnder::may_show(std::size_t k, double turn) const
{
    if (f_->image.header.projection != QUORVEX_PROJECTION_PLATE_CARREE)
        return true;
    const double column = seen_[2 * k] + turn * f_->image.dx;
    const double line = std::ceil(seen_[2 * k + 1] - 0.5);
    return line >= 0 && line < f_->rows && column > -1.5 && column < f_->columns + 0.5;
}

// A Hammer-Aitoff's forward takes a place more than 180 degrees from its
// centre beyond its ellipse, where a corner pixel may lie that shows no
// place: the place is shown 360 degrees off, inside the ellipse.
uint32_t PixelsUnder::pixel_of(double longitude, const double *at) const
{
    return beyond_the_map(f_->image, longitude) ? nowhere : pixel_index(*f_, at[0], at[1]);
}

const std::vector<uint32_t> &PixelsUnder::find(const std::vector<double> &places)
{
    points_ = places;
    to_image(f_->image, block_, points_, given_);
    under_.resize(places.size() / 2);
    for (std::size_t k = 0; k < under_.size(); ++k)
        under_[k] = pixel_of(places[2 * k], &points_[2 * k]);
    if (!turns_)
        return under_;
    seen_.swap(points_);
    for (const double turn : {-360.0, 360.0}) {
        // Written in place, not pushed: half a grid's places may miss.
        missed_.resize(under_.size());
        points_.resize(places.size());
        std::size_t count = 0;
        for (std::size_t k = 0; k < under_.size(); ++k)
            if (under_[k] == nowhere && may_show(k, turn)) {
                missed_[count] = k;
                points_[2 * count] = places[2 * k] + turn;
                points_[2 * count + 1] = places[2 * k + 1];
                ++count;
            }
        points_.resize(2 * count);
        points_.push_back(QUORVEX_NO_VALUE);
        to_image(f_->image, block_, points_, given_);
        for (std::size_t j = 0; j < count; ++j)
            under_[missed_[j]] = pixel_of(places[2 * missed_[j]] + turn, &points_[2 * j]);
    }
    return under_;
}

// Each pixel with a place within 180 degrees of the map's centre is taken;
// of those the inverse converted one at a time, only the ones whose place
// leads back to them.  A marked pixel is left out: it would read as the
// end of the list.
void LinePlaces::find(const IdaFile &f, int16_t block, int y)
{
    if (lonlat_.size() < 2 * std::size_t(f.columns) + 1)
        lonlat_.resize(2 * std::size_t(f.columns) + 1);
    const int redone = places_of_line(f, block, y);
    taken.clear();
    places.clear();
    back_.clear();
    for (int x = 0; x < f.columns; ++x) {
        const double lon = lonlat_[2 * std::size_t(x)], lat = lonlat_[2 * std::size_t(x) + 1];
        if (std::isfinite(lon) && std::fabs(lat) <= 90.0 && !beyond_the_map(f.image, lon)) {
            taken.push_back(x);
            places.push_back(lon);
            places.push_back(lat);
            if (x >= redone) {
                back_.push_back(lon);
                back_.push_back(lat);
            }
        }
    }
    back_.push_back(QUORVEX_NO_VALUE);
    to_image(f.image, block, back_, given_);
    const std::size_t checked = taken.size() - (back_.size() - 1) / 2;
    std::size_t kept = checked;
    for (std::size_t k = checked; k < taken.size(); ++k) {
        if (leads_back(&back_[2 * (k - checked)], taken[k], y)) {
            taken[kept] = taken[k];
            places[2 * kept] = places[2 * k];
            places[2 * kept + 1] = places[2 * k + 1];
            ++kept;
        }
    }
    taken.resize(kept);
    places.resize(2 * kept);
    places.push_back(QUORVEX_NO_VALUE);
}

// The places of the pixels of line y of f into lonlat_, through its
// inverse.  The inverse stops at a pixel it cannot convert (beyond the
// Lambert azimuthal's circle of radius 2a, say), leaving that pixel and
// the later ones as it had them, in plane coordinates.  The pixels of
// the line's end that hold them, computed as the library computes them,
// keep them where they lead back to the pixel (a place may coincide with
// them: a plate carree centred at 0, 0); from the first that does not,
// they are converted again one at a time, and the first of those is
// returned.
int LinePlaces::places_of_line(const IdaFile &f, int16_t block, int y)
{
    const IMAGETYPE &g = f.image;
    _ImageToLonLat(&g, static_cast<uint16_t>(y), lonlat_.data(), static_cast<uint16_t>(f.columns),
                   block);
    const double plane_y = (g.y_center - y) / g.dy;
    int unconverted = f.columns;
    while (unconverted > 0 && lonlat_[2 * std::size_t(unconverted) - 1] == plane_y &&
           lonlat_[2 * std::size_t(unconverted) - 2] ==
               (static_cast<double>(unconverted - 1) - g.x_center) / g.dx)
        --unconverted;
    int stopped = unconverted;
    if (stopped < f.columns) {
        back_.assign(&lonlat_[2 * std::size_t(unconverted)], &lonlat_[2 * std::size_t(f.columns)]);
        back_.push_back(QUORVEX_NO_VALUE);
        to_image(g, block, back_, given_);
        while (stopped < f.columns &&
               leads_back(&back_[2 * std::size_t(stopped - unconverted)], stopped, y))
            ++stopped;
    }
    IMAGETYPE one = g;
    for (int x = stopped; x < f.columns; ++x) {
        one.x_center = g.x_center - x;
        _ImageToLonLat(&one, static_cast<uint16_t>(y), &lonlat_[2 * std::size_t(x)], 1, block);
    }
    return stopped;
}

} // namespace cli
