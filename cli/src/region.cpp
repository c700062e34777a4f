// quorvex region: for each image, the pixels whose centres' places lie in a
// box of longitudes and latitudes, counted by kind, and the minimum,
// maximum and mean physical value of the valid ones.  Given a stack of one
// grid (a season of vegetation index) it prints the series of a region, a
// row per image; the pixels in the box are searched once for the grid.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// The header bytes that place f's pixels, one after another.
std::string placing_of(const IdaFile &f)
{
    std::string bytes;
    for (const auto &[at, size] : placing_bytes)
        bytes.append(reinterpret_cast<const char *>(f.header) + at, std::size_t(size));
    return bytes;
}

// The pixels of a grid in the box: a bit for each pixel, a line's bits in
// bytes of their own, and each line's first and last column in the box, or
// -1.  Made by the processes that search the lines, so in shared memory.
class Region {
public:
    Region(const IdaFile &f, const Box &box)
        : placing_(placing_of(f)), columns_(f.columns), stride_((std::size_t(f.columns) + 7) / 8),
          bits_(std::size_t(f.rows) * stride_), ends_(std::size_t(f.rows) * 2 * sizeof(int32_t))
    {
        BoxSearch search(f, box);
        unsigned char *const bits = bits_.data();
        int32_t *const ends = this->ends();
        make_all(0, f.rows, [&](int y) {
            const std::vector<int> &columns = search.columns(y);
            for (const int x : columns)
                bits[std::size_t(y) * stride_ + std::size_t(x) / 8] |=
                    static_cast<unsigned char>(1u << (x % 8));
            ends[2 * y] = columns.empty() ? -1 : columns.front();
            ends[2 * y + 1] = columns.empty() ? -1 : columns.back();
        });
    }

    // Whether f's pixels lie where this region's grid has them.
    bool same_grid(const IdaFile &f) const { return placing_of(f) == placing_; }

    // The bytes of f's pixels in the region, counted by value.
    std::array<uint64_t, 256> histogram(IdaFile &f) const
    {
        std::array<uint64_t, 256> counts{};
        std::vector<unsigned char> line(static_cast<std::size_t>(columns_));
        const unsigned char *const bits = bits_.data();
        const int32_t *const ends = this->ends();
        for (int y = 0; y < f.rows; ++y) {
            const int first = ends[2 * y], last = ends[2 * y + 1];
            if (first < 0)
                continue;
            read_at(f, first, y, line.data(), std::size_t(last - first + 1));
            const unsigned char *const in = bits + std::size_t(y) * stride_;
            for (int x = first; x <= last; ++x)
                if (in[x / 8] >> (x % 8) & 1)
                    ++counts[line[std::size_t(x - first)]];
        }
        return counts;
    }

private:
    int32_t *ends() const { return reinterpret_cast<int32_t *>(ends_.data()); }

    const std::string placing_;
    const int columns_;
    const std::size_t stride_;
    SharedBytes bits_, ends_;
};

// A row as a line of tab-separated fields; "-" for the statistics of a
// region without valid pixels.
std::string text_line(const Json &r)
{
    std::string line = r["file"].get<std::string>();
    for (const char *key : {"count", "valid", "missing", "special"})
        line += '\t' + std::to_string(r["pixels"][key].get<uint64_t>());
    for (const char *key : {"minimum", "maximum", "mean"})
        line +=
            '\t' + (r["statistics"].is_null() ? "-" : number(r["statistics"][key].get<double>()));
    return line;
}

} // namespace

int run_region(Options &options)
{
    if (options.box.empty())
        throw UsageError("region takes --box WEST,SOUTH,EAST,NORTH");
    const Box box = parse_box(options.box);
    if (!options.json)
        std::cout << "file\tpixels\tvalid\tmissing\tspecial\tminimum\tmaximum\tmean\n";
    std::unique_ptr<Region> region;
    return report_each(options.files, [&](const std::string &path) {
        IdaFile f = open_described(path, options.tables);
        if (!region || !region->same_grid(f)) {
            region.reset();
            region = std::make_unique<Region>(f, box);
        }
        Json r{{"file", path}};
        add_pixel_report(f, region->histogram(f), r);
        std::cout << (options.json ? json_line(r) : text_line(r)) << "\n";
    });
}

} // namespace cli
