// Header bytes, caller tables and temporary IDA files shared by the tests of
// header reading and writing, reference-point units and the consistency check.
#ifndef QUORVEX_IMAGE_DESCRIPTION_FIXTURES_H
#define QUORVEX_IMAGE_DESCRIPTION_FIXTURES_H

#include "quorvex/quorvex.h"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

namespace description {

using Header = std::array<unsigned char, 512>;

inline void put(Header &h, int at, std::initializer_list<unsigned char> bytes)
{
    for (unsigned char b : bytes)
        h[at++] = b;
}

inline void put_r48(Header &h, int at, double v)
{
    _DoubleCtoRealPascal(h.data() + at, v);
}
inline double r48(const Header &h, int at)
{
    return _RealPascalToDoubleC(h.data() + at);
}

// The worked plate carree header, byte by byte: 200 x 100 pixels of type
// 200, centre (45 N, 10 E) at column 100, line 50, 10 pixels per degree,
// codes 0..250, missing 255, slope 0.5, intercept -10.
inline Header worked_header()
{
    Header h{};
    h[22] = 0xC8;
    h[23] = 0x03;
    put(h, 30, {0x64, 0x00, 0xC8, 0x00});
    put(h, 120, {0x86, 0, 0, 0, 0, 0x34});
    put(h, 126, {0x84, 0, 0, 0, 0, 0x20});
    put(h, 132, {0x87, 0, 0, 0, 0, 0x48});
    put(h, 138, {0x86, 0, 0, 0, 0, 0x48});
    put(h, 144, {0x84, 0, 0, 0, 0, 0x20});
    put(h, 150, {0x84, 0, 0, 0, 0, 0x20});
    h[169] = 0xFA;
    h[170] = 0xFF;
    put(h, 171, {0x80, 0, 0, 0, 0, 0});
    put(h, 177, {0x84, 0, 0, 0, 0, 0xA0});
    return h;
}

// Caller tables, every value distinct so that each copied one can be told
// apart: a projection row for every byte value (the conics with two
// parallels), spheroids 0..13, IDA type 7 and the fully coded type 12.
struct Tables {
    std::vector<PROJITEM> projections = std::vector<PROJITEM>(256);
    std::vector<SFEROID> spheroids = std::vector<SFEROID>(14);
    std::vector<IDATYPE> types = std::vector<IDATYPE>(2);

    Tables()
    {
        for (int i = 0; i < 256; ++i)
            projections[i].proj = static_cast<int16_t>(i);
        projections[4].parfalse = 1;
        projections[8].parfalse = 1;
        for (int i = 0; i < 14; ++i) {
            spheroids[i].a = 6378.0 + i;
            spheroids[i].b = 6356.0 + i;
        }
        types[0].code = 7;
        IDATYPE &t = types[1];
        t = {12, nullptr, 3, 250, {}, {}, {}, {}, 11, 22, 4, 0.25, -3.0};
        for (int i = 0; i < 10; ++i) {
            t.missingcodes[i] = 100 + i;
            t.maskingcodes[i] = 200 + i;
            t.cloudcodes[i] = 300 + i;
            t.nodatacodes[i] = 400 + i;
        }
    }

    int16_t read(const Header &h, IMAGETYPE *it, int outside = 0) const
    {
        return _IDAHeaderToIT(h.data(), it, projections.data(), spheroids.data(), types.data(),
                              static_cast<int16_t>(types.size()), outside);
    }
};

// A double as text, the same on every platform: plain digits where the C
// runtimes agree on them, the bits in hex elsewhere.
inline std::string num(double v)
{
    char text[40];
    if (v == 0 || (std::fabs(v) >= 1e-4 && std::fabs(v) < 1e15)) {
        std::snprintf(text, sizeof text, "%.17g", v);
    } else {
        unsigned long long bits;
        std::memcpy(&bits, &v, sizeof bits);
        std::snprintf(text, sizeof text, "0x%016llx", bits);
    }
    return text;
}

// Every field the header reader fills, as one comparable text; "-" is an
// empty code slot (QUORVEX_NO_VALUE).
inline std::string describe(const HEADER &h)
{
    return "proj=" + std::to_string(h.projection) + " sph=" + std::to_string(h.spheroid) +
           " zone=" + std::to_string(h.zone) + " a=" + num(h.a) + " b=" + num(h.b) +
           " centre=" + num(h.lat_center) + "," + num(h.lon_center) + " par=" + num(h.par1) + "," +
           num(h.par2) + " fe=" + num(h.fe) + " fn=" + num(h.fn);
}

inline std::string describe(const IMAGETYPE &it)
{
    std::string text = describe(it.header) + " | units=" + std::to_string(it.ul_units) +
                       " x=" + num(it.x_center) + " y=" + num(it.y_center) + " dx=" + num(it.dx) +
                       " dy=" + num(it.dy);
    char part[200];
    std::snprintf(part, sizeof part, " | type=%d ida=%d %dx%d hl=%d bpp=%d order=%d coded=%d..%d",
                  it.type, it.ida_type, static_cast<int>(it.rows), static_cast<int>(it.columns),
                  it.header_length, it.bytesperpixel, it.bytesorder,
                  static_cast<int>(it.mincodedvalue), static_cast<int>(it.maxcodedvalue));
    text += part;
    for (const int32_t *codes : {it.missingcodes, it.maskingcodes, it.cloudcodes, it.nodatacodes})
        for (int i = 0; i < 10; ++i)
            text += (i == 0 ? " " : ",") +
                    (codes[i] == QUORVEX_NO_VALUE ? "-" : std::to_string(codes[i]));
    return text + " sp=" + std::to_string(it.sp1) + "," + std::to_string(it.sp2) +
           " n=" + std::to_string(it.nspecialcodes) + " law=" + num(it.slope) + "," +
           num(it.intercept);
}

// A directory of temporary files, removed with its content.
class TempDir {
public:
    TempDir()
    {
        static unsigned serial = 0;
        const auto base = std::filesystem::temp_directory_path();
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        do {
            path_ =
                base / ("quorvex-test-" + std::to_string(stamp) + "-" + std::to_string(++serial));
        } while (!std::filesystem::create_directory(path_));
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // Writes the first length bytes of the header followed by a few pixels.
    std::string write(const std::string &name, const Header &h, size_t length = 512 + 16)
    {
        const std::string file = missing(name);
        std::string bytes(h.begin(), h.end());
        bytes.resize(512 + 16, 7);
        bytes.resize(length);
        std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        return file;
    }

    // The name of a file of the directory that is not written.
    std::string missing(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace description

#endif
