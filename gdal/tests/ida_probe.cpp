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
#include <vector>

namespace {

QuorvexTables tables;

bool read_image(const char *path, IMAGETYPE *image)
{
    unsigned char header[512];
    FILE *f = std::fopen(path, "rb");
    const bool read = f && std::fread(header, 1, 512, f) == 512;
    if (f)
        std::fclose(f);
    return read && _IDAHeaderToIT(header, image, tables.projections,
                                  tables.spheroids, tables.types.data(), tables.type_count(), 0) == 100;
}

int make(char **a)
{
    IMAGETYPE it{};
    it.ida_type = 200;
    it.header.projection = int16_t(std::atoi(a[1]));
    double *fields[] = {&it.header.lat_center, &it.header.lon_center,
                              &it.header.par1, &it.header.par2, &it.dx, &it.dy,
                              &it.x_center, &it.y_center};
    for (int i = 0; i < 8; ++i)
        *fields[i] = std::atof(a[2 + i]);
    it.columns = std::atoi(a[10]);
    it.rows = std::atoi(a[11]);
    it.slope = 0.5;
    it.intercept = -10;
    it.maxcodedvalue = 254;
    it.missingcodes[0] = 255;
    unsigned char header[512];
    if (!_IT2IDAHeader(&it, header, tables.projections))
        return 1;
    FILE *f = std::fopen(a[0], "wb");
    if (!f)
        return 1;
    std::fwrite(header, 1, 512, f);
    for (int l = 0; l < it.rows; ++l)
        for (int c = 0; c < it.columns; ++c)
            std::fputc((7 * c + 13 * l) % 251, f);
    return std::fclose(f) == 0 ? 0 : 1;
}

// One position at a time: the image's reference point moved so that the
// wanted position is pixel 0 of line 0.
int inverse(IMAGETYPE image)
{
    double c, l;
    while (std::scanf("%lf %lf", &c, &l) == 2) {
        IMAGETYPE shifted = image;
        shifted.x_center -= c;
        shifted.y_center -= l;
        double buffer[3];
        _InitProjection(&shifted, 0);
        _ImageToLonLat(&shifted, 0, buffer, 1, 0);
        // The projections that stop a line (Lambert azimuthal, polar
        // stereographic, Albers) leave its plane coordinates.
        const int code = image.header.projection;
        const bool unconverted = code >= 6 && code <= 8 &&
                                 buffer[0] == -shifted.x_center / shifted.dx &&
                                 buffer[1] == shifted.y_center / shifted.dy;
        if (buffer[0] == -99999.0 || unconverted)
            std::printf("none\n");
        else
            std::printf("%.12f %.12f\n", buffer[0], buffer[1]);
    }
    return 0;
}

int forward(IMAGETYPE image)
{
    double buffer[3];
    _InitProjection(&image, 0);
    while (std::scanf("%lf %lf", &buffer[0], &buffer[1]) == 2) {
        buffer[2] = -99999.0;
        _LonLatToImage(&image, buffer, 0, 0);
        if (buffer[0] == -99999.0)
            std::printf("none\n");
        else
            std::printf("%.9f %.9f\n", buffer[0], buffer[1]);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    load_default_tables(&tables);
    IMAGETYPE image{};
    if (argc == 14 && std::strcmp(argv[1], "make") == 0)
        return make(argv + 2);
    if (argc == 3 && read_image(argv[2], &image)) {
        if (std::strcmp(argv[1], "inverse") == 0)
            return inverse(image);
        if (std::strcmp(argv[1], "forward") == 0)
            return forward(image);
    }
    std::fprintf(stderr, "usage: ida_probe make|inverse|forward ...\n");
    return 2;
}
