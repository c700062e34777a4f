// The library's own answers about IDA files, for the driver's tests to
// hold GDAL's against (public interface and default tables only).
//   ida_probe make FILE CODE LAT LON PAR1 PAR2 DX DY XC YC COLUMNS ROWS
//       writes an image through _IT2IDAHeader: type 200, law 0.5 x byte - 10,
//       missing code 255, pixel (c, l) = (7c + 13l) mod 251
//   ida_probe inverse FILE   "column line" per input line -> "lon lat"
//   ida_probe forward FILE   "lon lat" per input line -> "column line"
// A position the library does not give prints as "none".
#include "quorvex_tables.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QuorvexTables tables;

int make(char **a)
{
    IMAGETYPE it{};
    HEADER &h = it.header;
    it.ida_type = QUORVEX_IDA_TYPE_IN_HEADER;
    h.projection = int16_t(std::atoi(a[1]));
    double *const fields[] = {&h.lat_center, &h.lon_center, &h.par1,      &h.par2,
                              &it.dx,        &it.dy,        &it.x_center, &it.y_center};
    for (int i = 0; i < 8; ++i)
        *fields[i] = std::atof(a[2 + i]);
    it.columns = std::atoi(a[10]);
    it.rows = std::atoi(a[11]);
    it.slope = 0.5;
    it.intercept = -10;
    it.maxcodedvalue = 254;
    it.missingcodes[0] = 255;
    unsigned char header[QUORVEX_HEADER_SIZE];
    FILE *f = _IT2IDAHeader(&it, header, tables.projections) ? std::fopen(a[0], "wb") : nullptr;
    if (!f)
        return 1;
    std::fwrite(header, 1, sizeof header, f);
    for (int l = 0; l < it.rows; ++l)
        for (int c = 0; c < it.columns; ++c)
            std::fputc((7 * c + 13 * l) % 251, f);
    return std::fclose(f) == 0 ? 0 : 1;
}

// Inverse: one position at a time, the reference point moved so that it is
// pixel 0 of line 0.  Forward: one point at a time.
void convert(const IMAGETYPE &image, bool inverse)
{
    double u, v;
    while (std::scanf("%lf %lf", &u, &v) == 2) {
        IMAGETYPE it = image;
        double buffer[3] = {u, v, QUORVEX_NO_VALUE};
        if (inverse) {
            it.x_center -= u;
            it.y_center -= v;
        }
        _InitProjection(&it, 0);
        if (inverse)
            _ImageToLonLat(&it, 0, buffer, 1, 0);
        else
            _LonLatToImage(&it, buffer, 0, 0);
        // The projections that stop a line (Lambert azimuthal, polar
        // stereographic, Albers) leave its plane coordinates.
        const int code = it.header.projection;
        const bool stopped = inverse && code >= QUORVEX_PROJECTION_LAMBERT_AZIMUTHAL &&
                             code <= QUORVEX_PROJECTION_ALBERS &&
                             buffer[0] == -it.x_center / it.dx && buffer[1] == it.y_center / it.dy;
        if (buffer[0] == QUORVEX_NO_VALUE || stopped)
            std::printf("none\n");
        else
            std::printf("%.12f %.12f\n", buffer[0], buffer[1]);
    }
}

} // namespace

int main(int argc, char **argv)
{
    load_default_tables(&tables);
    if (argc == 14 && std::strcmp(argv[1], "make") == 0)
        return make(argv + 2);
    unsigned char header[QUORVEX_HEADER_SIZE];
    IMAGETYPE image{};
    FILE *f = argc == 3 ? std::fopen(argv[2], "rb") : nullptr;
    const bool read = f && std::fread(header, 1, sizeof header, f) == sizeof header;
    if (f)
        std::fclose(f);
    if (!read || _IDAHeaderToIT(header, &image, tables.projections, tables.spheroids,
                                tables.types.data(), tables.type_count(), 0) != QUORVEX_SUCCESS) {
        std::fprintf(stderr, "usage: ida_probe make|inverse|forward ...\n");
        return 2;
    }
    convert(image, std::strcmp(argv[1], "inverse") == 0);
    return 0;
}
