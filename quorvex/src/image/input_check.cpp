// Checking that a list of IDA images can be combined pixel by pixel: same
// IDA type, size, pixel scale and geolocation as the first image.
#include "image/error_message.h"
#include "image/header_layout.h"
#include "image/messages.h"
#include "quorvex/quorvex.h"

#include <cmath>
#include <stdio.h>

using namespace quorvex;

namespace {

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
    const size_t got = fread(header, 1, QUORVEX_HEADER_SIZE, file);
    fclose(file);
    return got == QUORVEX_HEADER_SIZE;
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
    if (code != QUORVEX_PROJECTION_NONE && (std::fabs(r48(header, offset::dx)) < smallest_scale ||
                                            std::fabs(r48(header, offset::dy)) < smallest_scale))
        return QUORVEX_PROJECTION_NONE;
    return code;
}

// The first difference of a further header from the reference image (a
// local code), or QUORVEX_SUCCESS.
int16_t first_difference(const unsigned char *header, const IMAGETYPE *pit,
                         const PROJITEM *ProjectionItems)
{
    if (header[offset::ida_type] != pit->ida_type)
        return QUORVEX_MSG_IDA_TYPE_DIFFERS;
    const int projection = geolocated_projection(header);
    if (projection != pit->header.projection)
        return QUORVEX_MSG_PROJECTION_DIFFERS;
    if (read_int16(header, offset::rows) != pit->rows ||
        read_int16(header, offset::columns) != pit->columns)
        return QUORVEX_MSG_SIZE_DIFFERS;
    // Without a projection the position, scale and centre bytes carry no
    // meaning, and the reference record may not even hold them.
    if (projection == QUORVEX_PROJECTION_NONE)
        return QUORVEX_SUCCESS;
    if (r48(header, offset::x_center) != pit->x_center ||
        r48(header, offset::y_center) != pit->y_center)
        return QUORVEX_MSG_CENTER_DIFFERS;
    if (std::fabs(r48(header, offset::dx) - pit->dx) > same_scale ||
        std::fabs(r48(header, offset::dy) - pit->dy) > same_scale)
        return QUORVEX_MSG_PIXEL_SIZE_DIFFERS;
    HEADER parameters = pit->header;
    _CharToHeader(header, &parameters, ProjectionItems);
    return _CheckCurrImageParams(&parameters, pit, 0);
}

// A header byte as decimal text, for the messages that name a code.
struct CodeText {
    char text[4];
    explicit CodeText(unsigned char byte)
    {
        snprintf(text, sizeof text, "%u", static_cast<unsigned>(byte));
    }
};

void report(char **p, int16_t *err, int16_t error, const char *prefix, const char *arg1,
            const char *arg2 = nullptr)
{
    if (p != nullptr)
        _PushErrorMessage(p, error, prefix, arg1, arg2);
    *err = QuorvexMessage[error].tessaly_nerr;
}

} // namespace

extern "C" void QUORVEX_CALL _CheckInputImages(IMAGETYPE *pit, const PROJITEM *ProjectionItems,
                                               const SFEROID *Spheroid, const IDATYPE *IdaType,
                                               int16_t NIdaType, char *const *nome, int16_t nfiles,
                                               char **p, int16_t *err)
{
    int16_t ignored = 0;
    if (err == nullptr)
        err = &ignored;
    *err = QUORVEX_SUCCESS;
    if (nome == nullptr || nfiles < 1 || pit == nullptr) {
        report(p, err, QUORVEX_MSG_CANNOT_OPEN, nullptr, "");
        return;
    }

    unsigned char header[QUORVEX_HEADER_SIZE];
    if (!read_header(nome[0], header)) {
        report(p, err, QUORVEX_MSG_CANNOT_OPEN, nullptr, nome[0]);
        return;
    }
    const int16_t described =
        _IDAHeaderToIT(header, pit, ProjectionItems, Spheroid, IdaType, NIdaType, 0);
    if (described == QUORVEX_MSG_CANNOT_OPEN) { // a table the header needs is missing
        report(p, err, QUORVEX_MSG_CANNOT_OPEN, nullptr, nome[0]);
        return;
    }
    if (described == QUORVEX_MSG_PROJECTION_UNKNOWN) {
        const CodeText code(header[offset::projection]);
        report(p, err, QUORVEX_MSG_PROJECTION_UNKNOWN, nome[0], code.text);
        return;
    }
    if (described == QUORVEX_MSG_IDA_TYPE_UNKNOWN) {
        const CodeText code(header[offset::ida_type]);
        report(p, err, QUORVEX_MSG_IDA_TYPE_UNKNOWN, nome[0], nome[0], code.text);
        return;
    }

    for (int i = 1; i < nfiles; ++i) {
        if (!read_header(nome[i], header)) {
            report(p, err, QUORVEX_MSG_CANNOT_OPEN, nullptr, nome[i]);
            return;
        }
        const int16_t error = first_difference(header, pit, ProjectionItems);
        if (error != QUORVEX_SUCCESS) {
            report(p, err, error, nome[i], nome[i]);
            return;
        }
    }
}
