// IDA headers in GDAL's terms and back (see ida_format.h).
//
// The plane of each projection code is the projection engine's: column =
// x * dx + x_center and line = y_center - y * dy, where whole column and
// line numbers are pixel centres (the engine rounds a position to the
// nearest whole number).  Each code is matched with the PROJ definition
// that yields the same plane, up to a linear map per axis (engine plane =
// scale * coordinate + offset), which the geotransform absorbs.
#include "ida_format.h"

#include "quorvex_tables.h"

#include <charconv>
#include <cmath>
#include <map>

namespace ida {
namespace {

// The engine's own degree factors: the header's angles become radians
// with the first, the geostationary scan angles degrees with the second.
constexpr double engine_deg_to_rad = 0.0174532925199;
constexpr double engine_rad_to_deg = 57.2957795131;
constexpr double pi = 3.14159265358979323846;
// Distance of the geostationary satellite from the earth's centre, km.
constexpr double satellite_distance_km = 42164.0;
// Hammer-Aitoff on a sphere of this radius gives the engine's y (before
// its centre-latitude shift) and twice its x.  PROJ's inverse of the
// projection ignores the parameter that would rescale one axis alone.
constexpr double hammer_radius = 0.70710678118654752;
constexpr double sqrt2 = 1.41421356237309505;
// Plate carree images are read as longitude/latitude on WGS 84 (EPSG:4326).
constexpr double wgs84_a = 6378137.0;
constexpr double wgs84_f = 1.0 / 298.257223563;
// Smallest |dx|, |dy| the header reader takes as geolocation, and the
// largest magnitude of a 6-byte real.
constexpr double smallest_scale = 1e-7;
constexpr double largest_real = 1.7e38;
// The header's "no value" as the double its fields hold.
constexpr double no_value = QUORVEX_NO_VALUE;

// Engine plane coordinate = s * coordinate + o, per axis.
struct Mapping {
    double sx = 1.0, ox = 0.0, sy = 1.0, oy = 0.0;
};

std::string number(double v)
{
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, v).ptr;
    return std::string(text, end);
}

double stored(double v)
{
    unsigned char bytes[6];
    _DoubleCtoRealPascal(bytes, v);
    return _RealPascalToDoubleC(bytes);
}

int16_t signed16(const unsigned char *at)
{
    return static_cast<int16_t>(at[0] | (at[1] << 8));
}

// Hammer-Aitoff's shift of the plane origin for a centre latitude, as the
// engine computes it.
double hammer_shift(double lat_center)
{
    const double phi0 = lat_center * engine_deg_to_rad;
    return std::sin(phi0) / std::sqrt(1.0 + std::cos(phi0));
}

double flattening(double a, double b)
{
    return (a - b) / a;
}

// Spheroid axes the header reader gives a projection code, asked of the
// library itself (kilometres for the geostationary view, else the unit of
// the tables).
void spheroid_of(int code, const QuorvexTables &tables, double *a, double *b)
{
    unsigned char header[QUORVEX_HEADER_SIZE] = {};
    header[22] = QUORVEX_IDA_TYPE_IN_HEADER;
    header[23] = static_cast<unsigned char>(code);
    IMAGETYPE image{};
    _IDAHeaderToIT(header, &image, tables.projections, tables.spheroids, tables.types.data(),
                   tables.type_count(), 0);
    *a = image.header.a;
    *b = image.header.b;
}

double km_to_m(double km)
{
    return std::round(km * 1e9) / 1e6;
}

} // namespace

double nearest_stored(double v)
{
    // The encoder truncates toward zero; a quarter to half a unit farther
    // out truncates to the next value, or to the same one when v is near
    // enough to it.
    const double toward_zero = stored(v);
    const double away = stored(v + std::ldexp(v, -40));
    return std::fabs(away - v) < std::fabs(v - toward_zero) ? away : toward_zero;
}

uint64_t described_size(const unsigned char *header)
{
    const int16_t rows = signed16(header + 30);
    const int16_t columns = signed16(header + 32);
    return rows > 0 && columns > 0 ? QUORVEX_HEADER_SIZE + uint64_t(rows) * uint64_t(columns) : 0;
}

bool header_is_consistent(const unsigned char *header, uint64_t file_size,
                          const QuorvexTables &tables)
{
    if (file_size != described_size(header) || file_size == 0)
        return false;
    IMAGETYPE image{};
    if (_IDAHeaderToIT(header, &image, tables.projections, tables.spheroids, tables.types.data(),
                       tables.type_count(), 0) != QUORVEX_SUCCESS)
        return false;
    if (image.ida_type == QUORVEX_IDA_TYPE_IN_HEADER && image.mincodedvalue > image.maxcodedvalue)
        return false;
    if (image.header.projection == QUORVEX_PROJECTION_NONE)
        return true;
    const HEADER &h = image.header;
    const auto latitude = [](double v) { return std::fabs(v) <= 90.0; };
    return latitude(h.lat_center) && std::fabs(h.lon_center) <= 360.0 &&
           (h.par1 == no_value || (latitude(h.par1) && latitude(h.par2)));
}

bool georeference_of(const IMAGETYPE &image, Georeference *out)
{
    const HEADER &h = image.header;
    if (!(std::fabs(image.dx) >= smallest_scale && std::fabs(image.dy) >= smallest_scale))
        return false;
    const bool parallels = h.par1 != no_value && h.par2 != no_value;
    const std::string centre =
        " +lat_0=" + number(h.lat_center) + " +lon_0=" + number(h.lon_center);
    const std::string ellipsoid = " +a=" + number(h.a) + " +b=" + number(h.b);
    const std::string conic =
        parallels ? " +lat_1=" + number(h.par1) + " +lat_2=" + number(h.par2) : std::string();
    Mapping m;
    std::string crs;
    switch (h.projection) {
    case QUORVEX_PROJECTION_HAMMER_AITOFF:
        crs = "+proj=hammer +R=" + number(hammer_radius) + " +lon_0=" + number(h.lon_center) +
              " +x_0=0 +y_0=" + number(0.0 - hammer_shift(h.lat_center));
        m.sx = 0.5;
        break;
    case QUORVEX_PROJECTION_PLATE_CARREE:
        crs = "EPSG:4326";
        m.ox = -h.lon_center;
        m.oy = -h.lat_center;
        break;
    case QUORVEX_PROJECTION_LAMBERT_CONFORMAL_CONIC:
    case QUORVEX_PROJECTION_ALBERS:
        // The conformal conic's plane is in kilometres, Albers' in metres.
        if (!parallels)
            return false;
        crs = (h.projection == QUORVEX_PROJECTION_ALBERS ? "+proj=aea" : "+proj=lcc") + conic +
              centre + ellipsoid +
              (h.projection == QUORVEX_PROJECTION_ALBERS ? " +units=m" : " +units=km");
        break;
    case QUORVEX_PROJECTION_GEOSTATIONARY: {
        // Scan angles in degrees: one unit is the satellite's height above
        // the equator times one degree.
        const double height = km_to_m(satellite_distance_km - h.a);
        crs = "+proj=geos +h=" + number(height) + " +lon_0=" + number(h.lon_center) +
              " +a=" + number(km_to_m(h.a)) + " +b=" + number(km_to_m(h.b)) +
              " +to_meter=" + number(height / engine_rad_to_deg);
        break;
    }
    case QUORVEX_PROJECTION_LAMBERT_AZIMUTHAL:
        crs = "+proj=laea" + centre + " +R=" + number(h.a) + " +units=m";
        break;
    case QUORVEX_PROJECTION_POLAR_STEREOGRAPHIC:
        crs = std::string("+proj=stere +lat_0=") + (h.lat_center < 0 ? "-90" : "90") +
              " +lat_ts=" + number(h.lat_center) + " +lon_0=" + number(h.lon_center) + ellipsoid +
              " +units=m";
        break;
    case QUORVEX_PROJECTION_GOODE:
        crs = "+proj=igh +lon_0=0 +R=" + number(h.a) + " +units=m";
        break;
    default:
        return false;
    }
    if (crs[0] == '+')
        crs += " +no_defs";
    out->crs = crs;
    double *gt = out->geotransform;
    gt[1] = 1.0 / (m.sx * image.dx);
    gt[0] = ((-0.5 - image.x_center) / image.dx - m.ox) / m.sx;
    gt[2] = 0.0;
    gt[5] = -1.0 / (m.sy * image.dy);
    gt[3] = ((image.y_center + 0.5) / image.dy - m.oy) / m.sy;
    gt[4] = 0.0;
    return true;
}

namespace {

using Parameters = std::map<std::string, std::string>;

Parameters parse_proj(const std::string &text)
{
    Parameters p;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        std::string token = text.substr(at, end - at);
        at = end + 1;
        if (token.size() < 2 || token[0] != '+')
            continue;
        const std::size_t equal = token.find('=');
        if (equal == std::string::npos)
            p[token.substr(1)] = "";
        else
            p[token.substr(1, equal - 1)] = token.substr(equal + 1);
    }
    return p;
}

// Parameters that describe the ellipsoid, the datum or the units (taken
// from GDAL's own answers), or nothing a header could hold.
bool is_descriptive(const std::string &key)
{
    static const char *const names[] = {"proj",    "ellps",    "datum",   "a",         "b",
                                        "R",       "rf",       "f",       "es",        "e",
                                        "units",   "to_meter", "no_defs", "type",      "wktext",
                                        "towgs84", "pm",       "vunits",  "geoidgrids"};
    for (const char *name : names)
        if (key == name)
            return true;
    return false;
}

// How one coordinate system lands in a header.
struct Placement {
    int16_t code = 0;
    double lat_center = 0.0, lon_center = 0.0;
    double par1 = no_value, par2 = no_value;
    Mapping m;
};

class Placer {
public:
    Placer(const CrsFacts &crs, const double gt[6], const IMAGETYPE &image,
           const QuorvexTables &tables, std::string *why)
        : crs_(crs), gt_(gt), columns_(image.columns), rows_(image.rows), tables_(tables),
          why_(why), p_(parse_proj(crs.proj))
    {
    }

    bool place(Placement *out);

private:
    bool refuse(const std::string &reason)
    {
        *why_ = reason;
        return false;
    }

    bool has(const char *key) const { return p_.count(key) != 0; }

    // The parameter's value, or fallback when it is absent; false (with a
    // reason) when it is present but not a number.
    bool value(const char *key, double fallback, double *v)
    {
        const auto found = p_.find(key);
        if (found == p_.end()) {
            *v = fallback;
            return true;
        }
        const std::string &text = found->second;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), *v);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size() ||
            !std::isfinite(*v))
            return refuse("+" + std::string(key) + "=" + text + " is not a number");
        return true;
    }

    bool only(std::initializer_list<const char *> allowed)
    {
        for (const auto &entry : p_) {
            bool known = is_descriptive(entry.first);
            for (const char *name : allowed)
                known = known || entry.first == name;
            if (!known)
                return refuse("the PROJ parameter +" + entry.first +
                              (entry.second.empty() ? "" : "=" + entry.second) +
                              " of +proj=" + proj_ + " has no place in an IDA header");
        }
        return true;
    }

    bool scale_is_one()
    {
        double k = 1.0, k0 = 1.0;
        if (!value("k", 1.0, &k) || !value("k_0", 1.0, &k0))
            return false;
        return (k == 1.0 && k0 == 1.0) ||
               refuse("a scale factor other than 1 on +proj=" + proj_ + " cannot be stored");
    }

    // The ellipsoid of the coordinate system against the one the header
    // reader gives the code: the same shape (flattening within 1e-9, a few
    // millimetres on the earth); the size only scales the plane.
    bool shape_matches(int code, double *ratio)
    {
        double a, b;
        spheroid_of(code, tables_, &a, &b);
        if (std::fabs(flattening(crs_.semi_major, crs_.semi_minor) - flattening(a, b)) > 1e-9)
            return refuse("IDA projection code " + std::to_string(code) +
                          " lies on the ellipsoid a = " + number(a) + ", b = " + number(b) +
                          "; this system's has a = " + number(crs_.semi_major) +
                          ", b = " + number(crs_.semi_minor));
        *ratio = a / crs_.semi_major;
        return true;
    }

    bool place_geographic(Placement *out);
    bool place_polar(Placement *out);
    bool place_hammer(Placement *out);

    const CrsFacts &crs_;
    const double *gt_;
    int columns_, rows_;
    const QuorvexTables &tables_;
    std::string *why_;
    Parameters p_;
    std::string proj_;
    double x0_ = 0.0, y0_ = 0.0;
};

bool Placer::place(Placement *out)
{
    proj_ = p_.count("proj") ? p_["proj"] : "";
    if (has("pm") && p_["pm"] != "greenwich" && p_["pm"] != "0")
        return refuse("prime meridian +pm=" + p_["pm"] + " cannot be stored");
    if (has("towgs84") && p_["towgs84"].find_first_not_of("0,.") != std::string::npos)
        return refuse("datum shift +towgs84=" + p_["towgs84"] + " cannot be stored");
    if (crs_.geographic)
        return place_geographic(out);
    if (!value("x_0", 0.0, &x0_) || !value("y_0", 0.0, &y0_))
        return false;
    if (!(crs_.unit > 0.0 && crs_.semi_major > 0.0 && crs_.semi_minor > 0.0))
        return refuse("the coordinate system has no usable unit or ellipsoid");
    const double u = crs_.unit;
    double ratio = 1.0;
    Placement &pl = *out;
    // Metres of the plane for the codes whose plane unit is the axes' unit.
    const auto metric = [&](double plane_unit) {
        pl.m = {u * ratio / plane_unit, -x0_ * ratio / plane_unit, u * ratio / plane_unit,
                -y0_ * ratio / plane_unit};
    };
    // The spherical codes: the size of the sphere only scales the plane.
    const auto on_sphere = [&](int16_t code) {
        double a, b;
        spheroid_of(code, tables_, &a, &b);
        pl.code = code;
        ratio = a / crs_.semi_major;
        metric(1.0);
        return true;
    };
    if (proj_ == "hammer")
        return place_hammer(out);
    if (proj_ == "lcc" || proj_ == "aea") {
        pl.code =
            proj_ == "lcc" ? QUORVEX_PROJECTION_LAMBERT_CONFORMAL_CONIC : QUORVEX_PROJECTION_ALBERS;
        const bool conformal = pl.code == QUORVEX_PROJECTION_LAMBERT_CONFORMAL_CONIC;
        double lat1, lat2, lat0, lon0;
        if (!only({"lat_0", "lon_0", "lat_1", "lat_2", "x_0", "y_0", "k", "k_0"}) ||
            !scale_is_one() || !value("lat_1", 0.0, &lat1) ||
            // PROJ's conformal conic without lat_2 has one parallel and,
            // without lat_0, its origin on it; the Albers defaults are 0.
            !value("lat_2", conformal ? lat1 : 0.0, &lat2) ||
            !value("lat_0", conformal && !has("lat_2") ? lat1 : 0.0, &lat0) ||
            !value("lon_0", 0.0, &lon0) || !shape_matches(pl.code, &ratio))
            return false;
        if (!(tables_.projections[pl.code].parfalse & QUORVEX_TWO_PARALLELS))
            return refuse("the projection table gives code " + std::to_string(pl.code) +
                          " no standard parallels");
        pl.lat_center = lat0;
        pl.lon_center = lon0;
        pl.par1 = lat1;
        pl.par2 = lat2;
        metric(conformal ? 1000.0 : 1.0);
        return true;
    }
    if (proj_ == "geos") {
        double height, lon0, a, b;
        if (!only({"lon_0", "h", "x_0", "y_0", "sweep"}) || !value("h", 0.0, &height) ||
            !value("lon_0", 0.0, &lon0))
            return false;
        if (has("sweep") && p_["sweep"] != "y")
            return refuse("the geostationary view sweeps along y; +sweep=" + p_["sweep"] +
                          " cannot be stored");
        spheroid_of(QUORVEX_PROJECTION_GEOSTATIONARY, tables_, &a, &b);
        const double expected_height = km_to_m(satellite_distance_km - a);
        if (std::fabs(crs_.semi_major - km_to_m(a)) > 0.5 ||
            std::fabs(crs_.semi_minor - km_to_m(b)) > 0.5 ||
            std::fabs(height - expected_height) > 0.5)
            return refuse("the geostationary view of IDA files has a = " + number(km_to_m(a)) +
                          " m, b = " + number(km_to_m(b)) +
                          " m and h = " + number(expected_height) +
                          " m; this one has a = " + number(crs_.semi_major) +
                          ", b = " + number(crs_.semi_minor) + ", h = " + number(height));
        pl.code = QUORVEX_PROJECTION_GEOSTATIONARY;
        pl.lon_center = lon0;
        const double s = engine_rad_to_deg / height;
        pl.m = {u * s, -x0_ * s, u * s, -y0_ * s};
        return true;
    }
    if (proj_ == "laea") {
        if (!only({"lat_0", "lon_0", "x_0", "y_0"}) || !value("lat_0", 0.0, &pl.lat_center) ||
            !value("lon_0", 0.0, &pl.lon_center))
            return false;
        if (flattening(crs_.semi_major, crs_.semi_minor) > 1e-12)
            return refuse("the Lambert azimuthal equal-area of IDA files is "
                          "spherical; this one lies on an ellipsoid (a = " +
                          number(crs_.semi_major) + ", b = " + number(crs_.semi_minor) + ")");
        return on_sphere(QUORVEX_PROJECTION_LAMBERT_AZIMUTHAL);
    }
    if (proj_ == "stere") {
        if (!only({"lat_0", "lon_0", "lat_ts", "k", "k_0", "x_0", "y_0"}) ||
            !shape_matches(QUORVEX_PROJECTION_POLAR_STEREOGRAPHIC, &ratio))
            return false;
        metric(1.0);
        return place_polar(out);
    }
    if (proj_ == "igh") {
        double lon0;
        if (!only({"lon_0", "x_0", "y_0"}) || !value("lon_0", 0.0, &lon0))
            return false;
        if (lon0 != 0.0)
            return refuse("the Goode homolosine of IDA files is centred on "
                          "Greenwich; +lon_0=" +
                          number(lon0) + " cannot be stored");
        // PROJ draws this projection on the sphere of the semi-major axis.
        return on_sphere(QUORVEX_PROJECTION_GOODE);
    }
    return refuse("the projection +proj=" + proj_ +
                  " has no IDA projection code (IDA files hold longitude/"
                  "latitude, hammer, lcc, geos, laea, polar stere, aea and igh)");
}

bool Placer::place_geographic(Placement *out)
{
    if (!only({}))
        return false;
    if (std::fabs(crs_.unit - pi / 180.0) > 1e-12)
        return refuse("geographic coordinates in units of " + number(crs_.unit) +
                      " radians cannot be stored (degrees only)");
    if (std::fabs(crs_.semi_major - wgs84_a) > 0.5 ||
        std::fabs(flattening(crs_.semi_major, crs_.semi_minor) - wgs84_f) > 1e-9)
        return refuse("IDA longitude/latitude images are on WGS 84; this "
                      "system's ellipsoid has a = " +
                      number(crs_.semi_major) + ", b = " + number(crs_.semi_minor));
    // The centre: the whole-micro-degree position of the middle pixel, as
    // IDA plate carree images usually have it.
    const auto micro = [](double v) { return nearest_stored(std::round(v * 1e6) / 1e6); };
    out->code = QUORVEX_PROJECTION_PLATE_CARREE;
    out->lon_center = micro(gt_[0] + (columns_ / 2 + 0.5) * gt_[1]);
    out->lat_center = micro(gt_[3] + (rows_ / 2 + 0.5) * gt_[5]);
    out->m = {1.0, -out->lon_center, 1.0, -out->lat_center};
    return true;
}

bool Placer::place_hammer(Placement *out)
{
    double w, mm, lon0;
    if (!only({"lon_0", "x_0", "y_0", "W", "M"}) || !value("W", 0.5, &w) || !value("M", 1.0, &mm) ||
        !value("lon_0", 0.0, &lon0))
        return false;
    if (w != 0.5 || mm != 1.0)
        return refuse("the Hammer-Aitoff variant +W=" + number(w) + " +M=" + number(mm) +
                      " cannot be stored");
    // PROJ takes the sphere of the semi-major axis.
    const double r = crs_.semi_major;
    const double u = crs_.unit;
    // The header's centre latitude shifts the plane's origin along the
    // central meridian; a false northing that such a shift explains keeps
    // its latitude, any other goes into the reference line.
    const double shift = -y0_ / (sqrt2 * r);
    const double lat0 = std::fabs(shift) <= 1.0
                            ? nearest_stored(2.0 * std::asin(shift / sqrt2) / engine_deg_to_rad)
                            : 0.0;
    out->code = QUORVEX_PROJECTION_HAMMER_AITOFF;
    out->lat_center = lat0;
    out->lon_center = lon0;
    out->m = {u / (2.0 * sqrt2 * r), -x0_ / (2.0 * sqrt2 * r), u / (sqrt2 * r),
              -y0_ / (sqrt2 * r) - hammer_shift(lat0)};
    return true;
}

// Polar stereographic: the header's centre latitude is the latitude of
// true scale and its sign the pole.  A scale factor at the pole instead
// (PROJ's k) is turned into the latitude where the scale is 1.
bool Placer::place_polar(Placement *out)
{
    double lat0, lon0, k = 1.0, k0 = 1.0;
    if (!value("lat_0", 0.0, &lat0) || !value("lon_0", 0.0, &lon0) || !value("k", 1.0, &k) ||
        !value("k_0", 1.0, &k0))
        return false;
    if (std::fabs(std::fabs(lat0) - 90.0) > 1e-9)
        return refuse("only the polar stereographic can be stored; +lat_0=" + number(lat0) +
                      " is an oblique aspect");
    const double sign = lat0 > 0 ? 1.0 : -1.0;
    out->code = QUORVEX_PROJECTION_POLAR_STEREOGRAPHIC;
    out->lon_center = lon0;
    if (has("lat_ts")) {
        double ts;
        if (!value("lat_ts", 0.0, &ts))
            return false;
        if (k != 1.0 || k0 != 1.0)
            return refuse("a scale factor together with +lat_ts cannot be stored");
        if ((sign > 0) != (ts >= 0.0))
            return refuse("+lat_ts=" + number(ts) +
                          " lies on the other "
                          "hemisphere than +lat_0=" +
                          number(lat0) + "; IDA files take the pole from its sign");
        out->lat_center = ts;
        return true;
    }
    const double scale = has("k") ? k : k0;
    const double e =
        std::sqrt(1.0 - (crs_.semi_minor * crs_.semi_minor) / (crs_.semi_major * crs_.semi_major));
    // Scale at the pole for true scale at latitude phi: m/t times half the
    // pole's constant, rising from e_pole/2 at the equator to 1 at the pole.
    const double e_pole = std::sqrt(std::pow(1 + e, 1 + e) * std::pow(1 - e, 1 - e));
    const auto pole_scale = [&](double phi) {
        const double s = std::sin(phi);
        const double m = std::cos(phi) / std::sqrt(1 - e * e * s * s);
        const double t = std::tan(pi / 4 - phi / 2) / std::pow((1 - e * s) / (1 + e * s), e / 2);
        return m / t * e_pole / 2;
    };
    if (!(scale >= pole_scale(0.0) && scale <= 1.0))
        return refuse("the polar stereographic scale factor " + number(scale) +
                      " has no latitude of true scale");
    double low = 0.0, high = pi / 2;
    for (int step = 0; step < 200 && high - low > 1e-15; ++step) {
        const double mid = (low + high) / 2;
        (pole_scale(mid) < scale ? low : high) = mid;
    }
    out->lat_center = sign * (low + high) / 2 * 180.0 / pi;
    return true;
}

} // namespace

bool place_in_image(const CrsFacts &crs, const double gt[6], const QuorvexTables &tables,
                    IMAGETYPE *image, std::string *why)
{
    const auto refuse = [why](const char *reason) {
        *why = reason;
        return false;
    };
    Placement pl;
    if (!Placer(crs, gt, *image, tables, why).place(&pl))
        return false;
    if (gt[2] != 0.0 || gt[4] != 0.0)
        return refuse("a rotated or sheared grid cannot be stored");
    const Mapping &m = pl.m;
    const double dx = 1.0 / (m.sx * gt[1]);
    const double dy = -1.0 / (m.sy * gt[5]);
    const double x_center = -dx * (m.sx * (gt[0] + 0.5 * gt[1]) + m.ox);
    const double y_center = dy * (m.sy * (gt[3] + 0.5 * gt[5]) + m.oy);
    for (double v : {dx, dy, x_center, y_center})
        if (!(std::fabs(v) <= largest_real))
            return refuse("the grid's position or pixel size does not fit the "
                          "header's 6-byte reals");
    if (!(std::fabs(dx) >= smallest_scale && std::fabs(dy) >= smallest_scale))
        return refuse("pixels larger than 1e7 map units cannot be stored");
    // Each value rounded to its nearest 6-byte real, so that the header
    // writer's truncation keeps it and a value read from a header comes
    // back with the same bytes.
    HEADER &h = image->header;
    h.projection = pl.code;
    h.lat_center = nearest_stored(pl.lat_center);
    h.lon_center = nearest_stored(pl.lon_center);
    h.par1 = pl.par1 == no_value ? no_value : nearest_stored(pl.par1);
    h.par2 = pl.par2 == no_value ? no_value : nearest_stored(pl.par2);
    h.fe = h.fn = 0.0;
    image->ul_units = 0;
    image->dx = nearest_stored(dx);
    image->dy = nearest_stored(dy);
    image->x_center = nearest_stored(x_center);
    image->y_center = nearest_stored(y_center);
    return true;
}

} // namespace ida
