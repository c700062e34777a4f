// What an IDA header means in GDAL's terms and what GDAL's terms let a
// header say: the consistency test that recognises a file, the coordinate
// system and geotransform of each projection code, and the way back from a
// coordinate system and geotransform to header fields.  Nothing here uses
// GDAL, so the driver and the fuzz target share it; the header fields are
// read and written only through the library's public interface.
#ifndef QUORVEX_GDAL_IDA_FORMAT_H
#define QUORVEX_GDAL_IDA_FORMAT_H

#include <quorvex/quorvex.h>

#include <cstdint>
#include <string>

struct QuorvexTables;

namespace ida {

// The file size the header's rows and columns call for (512 + rows x
// columns), or 0 when either is not positive.
uint64_t described_size(const unsigned char *header);

// True when header, the first 512 bytes of a file of file_size bytes, is a
// header the library reads with these tables and describes exactly that
// file: positive sizes with 512 + rows x columns = file_size, projection
// code 0 or 2-9, an IDA type of the tables or 200 (for which the lowest
// coded value may not exceed the highest), and for a geolocated image a
// centre and parallels that are angles on the earth.
bool header_is_consistent(const unsigned char *header, uint64_t file_size,
                          const QuorvexTables &tables);

// A coordinate system as a PROJ text ("EPSG:4326" for plate carree) and
// the geotransform of the pixel grid in its units, GDAL's convention: the
// outer corner of pixel (0, 0) at (gt[0], gt[3]), pixel size gt[1] x gt[5].
struct Georeference {
    std::string crs;
    double geotransform[6];
};

// The georeference of an image read by _IDAHeaderToIT: the coordinate
// system whose coordinates are the projection engine's plane for the
// image's code and spheroid (scaled by a constant for Hammer-Aitoff), and
// the grid that puts each pixel's centre where _ImageToLonLat puts the
// pixel.  False for an image that is not geolocated (code 0, or a conic
// without standard parallels).
bool georeference_of(const IMAGETYPE &image, Georeference *out);

// What the driver learns of a coordinate system through GDAL: geographic or
// projected, the ellipsoid's axes in metres, the size of one unit (metres
// for projected, radians for geographic) and the PROJ text.
struct CrsFacts {
    bool geographic = false;
    double semi_major = 0.0;
    double semi_minor = 0.0;
    double unit = 1.0;
    std::string proj;
};

// Fills header.projection, the centre, the standard parallels, dx, dy,
// x_center and y_center of *image (ul_units 0) so that the library places
// each pixel where the coordinate system and geotransform place it.  False,
// with *why naming what an IDA header cannot hold, for any other system, a
// rotated grid or sizes the header's 6-byte reals cannot store.  The
// image's columns and rows must be set (plate carree takes its centre from
// the middle pixel).
bool place_in_image(const CrsFacts &crs, const double geotransform[6], const QuorvexTables &tables,
                    IMAGETYPE *image, std::string *why);

// The 6-byte real nearest to v (the header writer itself truncates).
double nearest_stored(double v);

} // namespace ida

#endif
