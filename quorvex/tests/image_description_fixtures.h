// Header bytes, caller tables and temporary IDA files shared by the tests of
// header writing, reference-point units and the consistency check.
#ifndef QUORVEX_IMAGE_DESCRIPTION_FIXTURES_H
#define QUORVEX_IMAGE_DESCRIPTION_FIXTURES_H

#include "quorvex/quorvex.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
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

// Caller tables: a projection row for every byte value (the conics with
// two parallels), spheroids 0..13, and IDA types 7 and 12.
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
            spheroids[i].a = 6378137.0;
            spheroids[i].b = 6356752.314;
        }
        types[0].code = 7;
        types[1].code = 12;
        for (int i = 0; i < 10; ++i)
            types[1].missingcodes[i] = 100 + i;
        types[1].slope = 0.25;
        types[1].intercept = -3.0;
    }

    int16_t read(const Header &h, IMAGETYPE *it) const
    {
        return _IDAHeaderToIT(h.data(), it, projections.data(), spheroids.data(), types.data(),
                              static_cast<int16_t>(types.size()), 0);
    }
};

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
        std::vector<unsigned char> bytes(h.begin(), h.end());
        bytes.resize(512 + 16, 7);
        bytes.resize(length);
        FILE *fp = std::fopen(file.c_str(), "wb");
        if (fp != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), fp);
            std::fclose(fp);
        }
        return file;
    }

    // The name of a file of the directory that is not written.
    std::string missing(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

} // namespace description

#endif
