// quorvex region: for each image, the pixels whose centres' places lie in a
// box of longitudes and latitudes, or in each area of a GeoJSON file,
// counted by kind, and the minimum, maximum, mean, median and standard
// deviation of the physical values of the valid ones.  Given a stack of one
// grid (a season of vegetation index) it prints the series of a region or
// of each district, a row per image and area; the pixels in the areas are
// searched once for the grid.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <iostream>

namespace cli {

namespace {

using Json = nlohmann::ordered_json;

// The pixels of a grid in each of some shapes: each line's first and last
// column in each shape, or -1, and a bit for each pixel of the window a
// shape spans, a line's bits in bytes of their own; the windows, not the
// whole grid for each shape, so that a thousand districts of a large grid
// take their own pixels' bits.  Made by the processes that search the
// lines, so in shared memory: a first search finds the ends, which give
// the windows, a second the bits.
class Region {
public:
    Region(const IdaFile &f, const std::vector<Shape> &shapes, const std::string &what)
        : placing_(placing_of(f)), rows_(std::size_t(f.rows)), columns_(f.columns),
          ends_(shapes.size() * rows_ * 2 * sizeof(int32_t)), line_ends_(2 * rows_, -1),
          windows_(shapes.size())
    {
        ShapeSearch search(f, shapes, what);
        make_all(0, f.rows, [&](int y) {
            const std::vector<std::vector<int>> &in = search.columns(y);
            for (std::size_t s = 0; s < in.size(); ++s) {
                const std::size_t line = s * rows_ + std::size_t(y);
                ends()[2 * line] = in[s].empty() ? -1 : in[s].front();
                ends()[2 * line + 1] = in[s].empty() ? -1 : in[s].back();
            }
        });
        std::size_t size = 0;
        for (std::size_t s = 0; s < shapes.size(); ++s) {
            Window &w = windows_[s];
            for (std::size_t y = 0; y < rows_; ++y) {
                const int32_t *const e = ends() + 2 * (s * rows_ + y);
                if (e[0] < 0)
                    continue;
                int32_t *const line = &line_ends_[2 * y];
                line[0] = line[0] < 0 ? e[0] : std::min(line[0], e[0]);
                line[1] = std::max(line[1], e[1]);
                w.top = std::min(w.top, y), w.bottom = y;
                w.left = std::min(w.left, e[0]), w.right = std::max(w.right, e[1]);
            }
            if (w.empty())
                continue;
            w.stride = std::size_t(w.right - w.left + 8) / 8;
            w.offset = size;
            size += (w.bottom - w.top + 1) * w.stride;
        }
        bits_ = std::make_unique<SharedBytes>(size);
        make_all(0, f.rows, [&](int y) {
            const std::vector<std::vector<int>> &in = search.columns(y);
            for (std::size_t s = 0; s < in.size(); ++s)
                for (const int x : in[s])
                    bits_->data()[bit_byte(s, std::size_t(y), x)] |=
                        static_cast<unsigned char>(1u << ((x - windows_[s].left) % 8));
        });
    }

    // Whether f's pixels lie where this region's grid has them.
    bool same_grid(const IdaFile &f) const { return placing_of(f) == placing_; }

    // The bytes of f's pixels in each shape, counted by value.  Each line
    // is read once, from the first to the last column of any shape on it.
    std::vector<std::array<uint64_t, 256>> histograms(IdaFile &f) const
    {
        std::vector<std::array<uint64_t, 256>> counts(windows_.size());
        std::vector<unsigned char> bytes(static_cast<std::size_t>(columns_));
        for (std::size_t y = 0; y < rows_; ++y) {
            const int first = line_ends_[2 * y], last = line_ends_[2 * y + 1];
            if (first < 0)
                continue;
            read_at(f, first, int(y), bytes.data(), std::size_t(last - first + 1));
            for (std::size_t s = 0; s < windows_.size(); ++s) {
                const int32_t *const e = ends() + 2 * (s * rows_ + y);
                for (int x = e[0]; e[0] >= 0 && x <= e[1]; ++x)
                    if (bits_->data()[bit_byte(s, y, x)] >> ((x - windows_[s].left) % 8) & 1)
                        ++counts[s][bytes[std::size_t(x - first)]];
            }
        }
        return counts;
    }

private:
    static constexpr std::size_t no_line = SIZE_MAX;
    // The lines and columns of a shape's pixels, and where its bits start.
    struct Window {
        std::size_t top = no_line, bottom = no_line;
        int left = INT32_MAX, right = -1;
        std::size_t stride = 0, offset = 0;
        bool empty() const { return bottom == no_line; }
    };

    int32_t *ends() const { return reinterpret_cast<int32_t *>(ends_.data()); }
    // The byte holding the bit of pixel x of line y in shape s.
    std::size_t bit_byte(std::size_t s, std::size_t y, int x) const
    {
        const Window &w = windows_[s];
        return w.offset + (y - w.top) * w.stride + std::size_t(x - w.left) / 8;
    }

    const std::string placing_;
    const std::size_t rows_;
    const int columns_;
    SharedBytes ends_;
    // Each line's first and last column in any shape, or -1.
    std::vector<int32_t> line_ends_;
    std::vector<Window> windows_;
    std::unique_ptr<SharedBytes> bits_;
};

// A row as a line of tab-separated fields; "-" for the statistics of a
// region without valid pixels.
std::string text_line(const Json &r)
{
    std::string line = r.contains("area") ? r["area"].get<std::string>() + '\t' : "";
    line += r["file"].get<std::string>();
    for (const char *key : {"count", "valid", "missing", "special"})
        line += '\t' + std::to_string(r["pixels"][key].get<uint64_t>());
    for (const char *key : {"minimum", "maximum", "mean", "median", "stddev"})
        line +=
            '\t' + (r["statistics"].is_null() ? "-" : number(r["statistics"][key].get<double>()));
    return line;
}

} // namespace

int run_region(Options &options)
{
    if (options.box.empty() == options.areas.empty())
        throw UsageError("region takes one of --box WEST,SOUTH,EAST,NORTH and --areas FILE");
    // A box is one shape without a name; a file's areas are named.
    std::vector<Shape> shapes;
    std::vector<std::string> names;
    std::vector<Area> areas;
    if (!options.box.empty()) {
        shapes.push_back(parse_box(options.box).shape());
    } else {
        areas = read_areas(options.areas);
        for (const Area &area : areas) {
            shapes.push_back(area.shape());
            names.push_back(area.name);
        }
    }
    if (!options.json)
        std::cout
            << (names.empty() ? "" : "area\t")
            << "file\tpixels\tvalid\tmissing\tspecial\tminimum\tmaximum\tmean\tmedian\tstddev\n";
    std::unique_ptr<Region> region;
    return report_each(options.files, [&](const std::string &path) {
        IdaFile f = open_described(path, options.tables);
        if (!region || !region->same_grid(f)) {
            region.reset();
            region = std::make_unique<Region>(f, shapes, names.empty() ? "a box" : "an area");
        }
        const std::vector<std::array<uint64_t, 256>> histograms = region->histograms(f);
        for (std::size_t s = 0; s < shapes.size(); ++s) {
            Json r =
                names.empty() ? Json{{"file", path}} : Json{{"area", names[s]}, {"file", path}};
            add_pixel_report(f, histograms[s], r);
            std::cout << (options.json ? json_line(r) : text_line(r)) << "\n";
        }
    });
}

} // namespace cli
