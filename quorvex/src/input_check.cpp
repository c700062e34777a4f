// Checking that a list of IDA images can be combined pixel by pixel: same
// IDA type, size, pixel scale and geolocation as the first image.
#include "error_message.h"
#include "header_layout.h"
#include "messages.h"
#include "quorvex/quorvex.h"

#include <cmath>
#include <stdio.h>

using namespace quorvex;

namespace {

// Message entries (local codes) of the differences found.
constexpr int16_t cannot_open = 0;
constexpr int16_t unknown_projection = 1;
constexpr int16_t other_ida_type = 3;
constexpr int16_t other_size = 4;
constexpr int16_t other_pixel_size = 5;
constexpr int16_t other_projection = 6;
constexpr int16_t other_centre_position = 7;
constexpr int16_t unknown_ida_type = 10;

// Pixel scales closer than this are the same.
constexpr double same_scale = 1e-7;
// A scale below this means the image is not geolocated (as when reading).
constexpr double smallest_scale = 1e-7;

// Reads the whole header of the file; false when the file cannot be opened
// or is too short to hold a header.
bool read_header(const char *name, unsigned char *header)
{
    if (name == nullptr)
        return false;
    FILE *file = fopen(name, "rb");
    if (file == nullptr)
        return false;
    const size_t got = fread(header, 1, ida_header_length, file);
    fclose(file);
    return got == static_cast<size_t>(ida_header_length);
}

double r48(const unsigned char *header, int at)
{
    return _RealPascalToDoubleC(header + at);
}

// The projection code the image is described with: a header whose pixel
// scale is too small to use counts as not geolocated, as it does for the
// first image.
int geolocated_projection(const unsigned char *header)
{
    const int code = header[offset::projection];
    if (code != 0 && (std::fabs(r48(header, offset::dx)) < smallest_scale ||
                      std::fabs(r48(header, offset::dy)) < smallest_scale))
        return 0;
    return code;
}

// The first difference of a further header from the reference image, or
// status_ok.
int16_t first_difference(const unsigned char *header, const IMAGETYPE *pit,
                         const PROJITEM *ProjectionItems)
{
    if (header[offset::ida_type] != pit->ida_type)
        return other_ida_type;
    const int projection = geolocated_projection(header);
    if (projection != pit->header.projection)
        return other_projection;
    if (read_int16(header, offset::rows) != pit->rows ||
        read_int16(header, offset::columns) != pit->columns)
        return other_size;
    // Without a projection the position, scale and centre bytes carry no
    // meaning, and the reference record may not even hold them.
    if (projection == 0)
        return status_ok;
    if (r48(header, offset::x_center) != pit->x_center ||
        r48(header, offset::y_center) != pit->y_center)
        return other_centre_position;
    if (std::fabs(r48(header, offset::dx) - pit->dx) > same_scale ||
        std::fabs(r48(header, offset::dy) - pit->dy) > same_scale)
        return other_pixel_size;
    HEADER parameters = pit->header;
    _CharToHeader(header, &parameters, ProjectionItems);
    return _CheckCurrImageParams(&parameters, pit, 0);
}

// A header byte as decimal text, for the messages that name a code.
struct CodeText {
    char text[4];
    explicit CodeText(unsigned char byte) { snprintf(text, sizeof text, "%u", static_cast<unsigned>(byte)); }
};

void report(char **p, int16_t *err, int16_t error, const char *prefix,
            const char *arg1, const char *arg2 = nullptr)
{
    if (p != nullptr)
        _PushErrorMessage(p, error, prefix, arg1, arg2);
    *err = QuorvexMessage[error].tessaly_nerr;
}

} // namespace

extern "C" void QUORVEX_CALL _CheckInputImages(
    IMAGETYPE *pit, const PROJITEM *ProjectionItems, const SFEROID *Spheroid,
    const IDATYPE *IdaType, int16_t NIdaType, char *const *nome,
    int16_t nfiles, char **p, int16_t *err)
{
    int16_t ignored = 0;
    if (err == nullptr)
        err = &ignored;
    *err = status_ok;
    if (nome == nullptr || nfiles < 1) {
        report(p, err, cannot_open, nullptr, "");
        return;
    }

    unsigned char header[ida_header_length];
    if (!read_header(nome[0], header)) {
        report(p, err, cannot_open, nullptr, nome[0]);
        return;
    }
    const int16_t described = _IDAHeaderToIT(header, pit, ProjectionItems,
                                             Spheroid, IdaType, NIdaType, 0);
    if (described == unknown_projection) {
        const CodeText code(header[offset::projection]);
        report(p, err, unknown_projection, nome[0], code.text);
        return;
    }
    if (described == unknown_ida_type) {
        const CodeText code(header[offset::ida_type]);
        report(p, err, unknown_ida_type, nome[0], nome[0], code.text);
        return;
    }

    for (int i = 1; i < nfiles; ++i) {
        if (!read_header(nome[i], header)) {
            report(p, err, cannot_open, nullptr, nome[i]);
            return;
        }
        const int16_t error = first_difference(header, pit, ProjectionItems);
        if (error != status_ok) {
            report(p, err, error, nome[i], nome[i]);
            return;
        }
    }
}
