// Writes generated IDA images (type 200, plate carree grid of 8 pixels per
// degree centred on 10 E 45 N, missing code 255, law 0.4 x byte - 10: a
// vegetation index in hundredths) for the bundled sample and the benchmark:
//   brennix_make_ida OUT ndvi  [WIDTH HEIGHT]  smooth vegetation-index field
//                                              with a cloud gap and a few
//                                              water and glare pixels
//   brennix_make_ida OUT ramp  [WIDTH HEIGHT]  bytes 0..254 repeating
// The output is the same on every run and machine.
#include "quorvex/quorvex.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int missing_code = 255;
constexpr double sample_slope = 0.4;
constexpr double sample_intercept = -10.0;
constexpr double pixels_per_degree = 8.0;

void put_real(std::vector<unsigned char> &header, int at, double value)
{
    _DoubleCtoRealPascal(&header[static_cast<std::size_t>(at)], value);
}

void put_int16(std::vector<unsigned char> &header, int at, int value)
{
    header[static_cast<std::size_t>(at)] = static_cast<unsigned char>(value & 0xff);
    header[static_cast<std::size_t>(at) + 1] = static_cast<unsigned char>((value >> 8) & 0xff);
}

std::vector<unsigned char> make_header(int width, int height, const std::string &title)
{
    std::vector<unsigned char> header(512, 0);
    header[22] = 200; // coding carried by the header
    header[23] = 3;   // plate carree
    put_int16(header, 30, height);
    put_int16(header, 32, width);
    std::string padded = title + std::string(80, ' ');
    std::memcpy(&header[38], padded.data(), 80);
    put_real(header, 120, 45.0);         // centre latitude
    put_real(header, 126, 10.0);         // centre longitude
    put_real(header, 132, width / 2.0);  // centre column
    put_real(header, 138, height / 2.0); // centre line
    // 8 pixels per degree (the plate carree's plane unit): the 512 x 512
    // sample covers 64 x 64 degrees around its centre.
    put_real(header, 144, pixels_per_degree);
    put_real(header, 150, pixels_per_degree);
    header[168] = 0;
    header[169] = 250;
    header[170] = missing_code;
    put_real(header, 171, sample_slope);
    put_real(header, 177, sample_intercept);
    header[183] = 3; // decimals worth showing
    return header;
}

// Small deterministic noise, the same everywhere (no library generator).
uint32_t next_noise(uint32_t &state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 24;
}

unsigned char ndvi_byte(int x, int y, uint32_t &noise)
{
    const double ndvi = 35.0 + 25.0 * std::sin(x / 37.0) * std::cos(y / 53.0) +
                        10.0 * std::sin((x + y) / 91.0) +
                        0.4 * (static_cast<int>(next_noise(noise) % 5) - 2);
    const long coded = std::lround((ndvi - sample_intercept) / sample_slope);
    return static_cast<unsigned char>(coded < 13 ? 13 : coded > 235 ? 235 : coded);
}

void fill_ndvi(std::vector<unsigned char> &pixels, int width, int height)
{
    uint32_t noise = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * width + x] = ndvi_byte(x, y, noise);
    const auto put = [&](int x, int y, unsigned char v) {
        if (x < width && y < height)
            pixels[static_cast<std::size_t>(y) * width + x] = v;
    };
    // A cloud gap of missing data.
    for (int y = height * 300 / 512; y < height * 360 / 512; ++y)
        for (int x = width * 380 / 512; x < width * 460 / 512; ++x)
            put(x, y, missing_code);
    // A small lake (index below zero) and a glare spot (implausibly high).
    for (int y = 100; y < 103; ++y)
        for (int x = 50; x < 54; ++x)
            put(x, y, 2);
    for (int y = 200; y < 202; ++y)
        for (int x = 420; x < 423; ++x)
            put(x, y, 249);
}

void fill_ramp(std::vector<unsigned char> &pixels)
{
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<unsigned char>(i % missing_code);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(stderr, "usage: %s OUT ndvi|ramp [WIDTH HEIGHT]\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[2];
    const int width = argc == 5 ? std::atoi(argv[3]) : 512;
    const int height = argc == 5 ? std::atoi(argv[4]) : 512;
    if (width <= 0 || width > 32767 || height <= 0 || height > 32767 ||
        (kind != "ndvi" && kind != "ramp")) {
        std::fprintf(stderr, "%s: need ndvi or ramp and sizes 1..32767\n", argv[0]);
        return 2;
    }
    const std::vector<unsigned char> header =
        make_header(width, height,
                    kind == "ndvi" ? "NDVI x 100, 10-day composite, synthetic test field"
                                   : "Byte ramp 0-254, synthetic");
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height);
    if (kind == "ndvi")
        fill_ndvi(pixels, width, height);
    else
        fill_ramp(pixels);

    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(header.data(), 1, header.size(), out) != header.size() ||
        std::fwrite(pixels.data(), 1, pixels.size(), out) != pixels.size() ||
        std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}
