// quorvex warp: an image put on the grid of another, through the library's
// projection engine.  Images of one region in different projections (a
// scan in the satellite's view, a product in a continental grid) become
// one stack that check agrees with and composite can combine; a fine
// archive goes onto a coarse grid keeping the largest, smallest or mean
// value of the pixels falling in each pixel.
#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

// The engine's two blocks: the source image's and the grid's, prepared
// once, so that no line needs a block prepared again.
constexpr int16_t source_block = QUORVEX_INPUT_BLOCK;
constexpr int16_t grid_block = QUORVEX_OUTPUT_BLOCK;

// A pixel of the grid or the source that no pixel of the other takes.
constexpr uint32_t nowhere = UINT32_MAX;

// The source lines whose grid pixels a statistic keeps at a time.
constexpr int target_lines = 256;

class Warp {
public:
    Warp(const IdaFile &source, const IdaFile &grid, const std::vector<unsigned char> &pixels)
        : source_(source), grid_(grid), pixels_(pixels)
    {
        const std::array<PixelKind, 256> kinds = pixel_kinds(source.image);
        for (int byte = 0; byte < 256 && fill_ < 0; ++byte)
            if (kinds[byte] == PixelKind::missing)
                fill_ = byte;
        _InitProjection(&source.image, source_block);
        _InitProjection(&grid.image, grid_block);
    }

    // One line of the grid: each pixel the source's pixel whose centre lies
    // nearest to its own centre's place, or the source's missing code.
    void line(int y, unsigned char *out)
    {
        const int columns = grid_.columns;
        places_.find(grid_, grid_block, y);
        to_image(source_.image, source_block, places_.places, given_);
        std::fill_n(out, columns, static_cast<unsigned char>(fill_ < 0 ? 0 : fill_));
        int placed = 0;
        for (std::size_t k = 0; k < places_.taken.size(); ++k) {
            const uint32_t at = pixel_at(source_, &places_.places[2 * k]);
            if (at != nowhere) {
                out[places_.taken[k]] = pixels_[at];
                ++placed;
            }
        }
        if (placed < columns && fill_ < 0)
            throw InputError(source_.path + ": the image has no missing code for the places " +
                             "of the grid it does not cover");
    }

    // One line of the source: for each pixel, the grid's pixel whose centre
    // lies nearest to its own centre's place, as an index from the grid's
    // first pixel, or nowhere.
    void targets(int y, uint32_t *out)
    {
        places_.find(source_, source_block, y);
        to_image(grid_.image, grid_block, places_.places, given_);
        std::fill_n(out, source_.columns, nowhere);
        for (std::size_t k = 0; k < places_.taken.size(); ++k)
            out[places_.taken[k]] = pixel_at(grid_, &places_.places[2 * k]);
    }

private:
    // The index of the pixel of f whose centre lies nearest to image
    // coordinates xy, or nowhere outside f.
    static uint32_t pixel_at(const IdaFile &f, const double *xy)
    {
        const double c = std::ceil(xy[0] - 0.5);
        const double l = std::ceil(xy[1] - 0.5);
        if (c >= 0 && c < f.columns && l >= 0 && l < f.rows)
            return uint32_t(l) * uint32_t(f.columns) + uint32_t(c);
        return nowhere;
    }

    const IdaFile &source_;
    const IdaFile &grid_;
    const std::vector<unsigned char> &pixels_;
    int fill_ = -1;
    LinePlaces places_;
    std::vector<double> given_;
};

IdaFile open_projected(const std::string &path, const QuorvexTables &tables, const char *role)
{
    IdaFile f = open_described(path, tables);
    if (f.image.header.projection == QUORVEX_PROJECTION_NONE)
        throw InputError(path + ": the image has no projection, so it " + role);
    return f;
}

} // namespace

int run_warp(Options &options)
{
    if (options.files.size() != 1 || options.output.empty() || options.grid.empty())
        throw UsageError("warp takes one FILE, --grid GRID.ida and -o OUT.ida");
    refuse_input_as_output(options.output, {options.files[0], options.grid});

    IdaFile source = open_projected(options.files[0], options.tables, "has no place to take from");
    const IdaFile grid = open_projected(options.grid, options.tables, "gives no grid");
    std::vector<unsigned char> pixels(source.pixel_count());
    read_exactly(source, pixels.data(), pixels.size());

    // The source's header, the image it holds and its coding, placed as
    // the grid places its pixels.
    unsigned char header[QUORVEX_HEADER_SIZE];
    std::memcpy(header, source.header, sizeof header);
    for (const auto &bytes : placing_bytes)
        std::memcpy(header + bytes.first, grid.header + bytes.first, std::size_t(bytes.second));

    Warp warp(source, grid, pixels);
    const SharedBytes result(grid.pixel_count());
    unsigned char *const out = result.data();
    const std::size_t columns = std::size_t(grid.columns);
    make_all(0, grid.rows, [&](int y) { warp.line(y, out + std::size_t(y) * columns); });
    if (!options.statistic.empty()) {
        // Each pixel of the source goes to the grid's pixel its place falls
        // in; where valid ones fall the statistic of their values replaces
        // the nearest pixel.  The source goes a band of lines at a time, so
        // that the grid pixels the pixels go to take 4 bytes a pixel of a
        // band, not of the whole source.
        const std::size_t source_columns = std::size_t(source.columns);
        const int band = std::min(source.rows, target_lines);
        const SharedBytes shared(std::size_t(band) * source_columns * sizeof(uint32_t));
        uint32_t *const targets = reinterpret_cast<uint32_t *>(shared.data());
        Statistic statistic(source, options.statistic, grid.pixel_count());
        for (int first = 0; first < source.rows; first += band) {
            const int last = std::min(source.rows, first + band);
            make_all(first, last, [&](int y) {
                warp.targets(y, targets + std::size_t(y - first) * source_columns);
            });
            const unsigned char *const bytes = &pixels[std::size_t(first) * source_columns];
            for (std::size_t k = 0; k < std::size_t(last - first) * source_columns; ++k)
                if (targets[k] != nowhere)
                    statistic.add(targets[k], bytes[k]);
        }
        statistic.finish(grid.pixel_count(), out);
    }
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(header, 1, sizeof header, stream) != sizeof header ||
            std::fwrite(result.data(), 1, grid.pixel_count(), stream) != grid.pixel_count())
            return std::strerror(errno);
        return "";
    });
    return 0;
}

} // namespace cli
