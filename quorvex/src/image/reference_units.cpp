// Converting an image's reference point (x_center, y_center) between the
// four unit systems callers may hold it in:
//   0 image values of the engine, 1 unit 0 divided by dx and dy,
//   2 longitude/latitude offsets from the projection centre,
//   3 longitude and latitude in degrees.
// Units 2 and 3 go through the projection engine's input block.
#include "trasfo/trasfo.h"

#include <cmath>

using namespace quorvex;

namespace {

constexpr int converted = 1;
constexpr int not_converted = 0;

bool is_unit(int16_t unit)
{
    return unit >= QUORVEX_UNIT_IMAGE && unit <= QUORVEX_UNIT_LONLAT;
}

// A converted point: both coordinates finite and neither the marker.
bool usable(double lon, double lat)
{
    return lon != no_value && lat != no_value && std::isfinite(lon) && std::isfinite(lat);
}

// Longitude/latitude of pixel 0 of line 0 into point[0..1], through the
// input block as _ImageToLonLat converts it, but keeping the operation's
// status; false when the image's projection cannot convert it.
bool upper_left_to_lonlat(const IMAGETYPE *pit, double point[3])
{
    point[0] = (0.0 - pit->x_center) / pit->dx;
    point[1] = (pit->y_center - 0.0) / pit->dy;
    point[2] = no_value;
    if (inverse_points(pit, point, 1, QUORVEX_INPUT_BLOCK) < 0)
        return false;
    return usable(point[0], point[1]);
}

// Image values of the longitude/latitude in point[0..1] (a list ended by
// the marker); false when the image's projection cannot convert it.  An
// operation that stops at the point leaves it unconverted and says so only
// through its status.
bool lonlat_to_image(const IMAGETYPE *pit, double point[3])
{
    if (forward_points(pit, point, 0, QUORVEX_INPUT_BLOCK) < 0)
        return false;
    return usable(point[0], point[1]);
}

int fail(IMAGETYPE *pIT)
{
    pIT->x_center = no_value;
    pIT->y_center = no_value;
    return not_converted;
}

// From unit 0 to unit2.
int from_image_units(IMAGETYPE *pIT, int16_t unit2)
{
    if (unit2 == QUORVEX_UNIT_IMAGE_SCALED) {
        pIT->x_center /= pIT->dx;
        pIT->y_center /= pIT->dy;
        return converted;
    }
    if (unit2 != QUORVEX_UNIT_LONLAT_OFFSET && unit2 != QUORVEX_UNIT_LONLAT)
        return converted;

    // The engine measures from the reference point; with the point's
    // values negated, pixel 0 of line 0 lies where unit 3 expects it, and
    // the forward direction below undoes exactly this.
    pIT->x_center = -pIT->x_center;
    pIT->y_center = -pIT->y_center;
    _InitProjection(pIT, QUORVEX_INPUT_BLOCK);
    double point[3];
    if (!upper_left_to_lonlat(pIT, point))
        return fail(pIT);
    pIT->x_center = point[0];
    pIT->y_center = point[1];
    if (unit2 == QUORVEX_UNIT_LONLAT_OFFSET) {
        pIT->x_center -= pIT->header.lon_center;
        pIT->y_center = pIT->header.lat_center - pIT->y_center;
    }
    return converted;
}

// From unit 3 to unit2.
int from_degrees(IMAGETYPE *pIT, int16_t unit2)
{
    if (unit2 == QUORVEX_UNIT_LONLAT_OFFSET) {
        pIT->x_center -= pIT->header.lon_center;
        pIT->y_center = pIT->header.lat_center - pIT->y_center;
        return converted;
    }
    if (unit2 != QUORVEX_UNIT_IMAGE && unit2 != QUORVEX_UNIT_IMAGE_SCALED)
        return converted;

    _InitProjection(pIT, QUORVEX_INPUT_BLOCK);
    double point[3] = {pIT->x_center, pIT->y_center, no_value};
    pIT->x_center = 0.0;
    pIT->y_center = 0.0;
    if (!lonlat_to_image(pIT, point))
        return fail(pIT);
    pIT->x_center = point[0];
    pIT->y_center = point[1];
    if (unit2 == QUORVEX_UNIT_IMAGE_SCALED) {
        pIT->x_center /= pIT->dx;
        pIT->y_center /= pIT->dy;
    }
    return converted;
}

} // namespace

extern "C" int QUORVEX_CALL _ChangeULValues(IMAGETYPE *pIT, int16_t unit1, int16_t unit2)
{
    if (pIT == nullptr)
        return not_converted;
    // An unknown unit on either side leaves the point as it is, rather
    // than half converted into a unit the caller did not ask for.
    if (!is_unit(unit1) || !is_unit(unit2))
        return converted;

    if (unit1 == QUORVEX_UNIT_IMAGE_SCALED) {
        pIT->x_center *= pIT->dx;
        pIT->y_center *= pIT->dy;
        if (unit2 == QUORVEX_UNIT_IMAGE)
            return converted;
        unit1 = QUORVEX_UNIT_IMAGE;
    } else if (unit1 == QUORVEX_UNIT_LONLAT_OFFSET) {
        pIT->x_center += pIT->header.lon_center;
        pIT->y_center = pIT->header.lat_center - pIT->y_center;
        if (unit2 == QUORVEX_UNIT_LONLAT)
            return converted;
        unit1 = QUORVEX_UNIT_LONLAT;
    }
    if (unit1 == QUORVEX_UNIT_IMAGE)
        return from_image_units(pIT, unit2);
    return from_degrees(pIT, unit2);
}
