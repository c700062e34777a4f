// quorvex warp: images put on the grid of another, through the library's
// projection engine.  Images of one region in different projections (a
// scan in the satellite's view, a product in a continental grid) become
// one stack that check agrees with and composite can combine; the scans
// of a day become one image of the grid; a fine archive goes onto a coarse
// grid keeping the largest, smallest, mean or median value of the pixels
// falling in each pixel.
#include "cli.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>

namespace cli {

namespace {

// The engine's two blocks: the source image's and the grid's, prepared
// once, so that no line needs a block prepared again.
constexpr int16_t source_block = QUORVEX_INPUT_BLOCK;
constexpr int16_t grid_block = QUORVEX_OUTPUT_BLOCK;

// The source pixels whose grid pixels a statistic keeps at a time (16 MiB).
constexpr std::size_t target_pixels = std::size_t(1) << 22;

// What a grid pixel holds so far, in rising order of preference: no
// source's byte, a byte that is not valid (a missing or cloud code, which
// says why), a valid one.
enum Held : unsigned char { held_nothing, held_code, held_valid };

// A source image and its pixels, read whole.
struct Source {
    const IdaFile *file;
    std::vector<unsigned char> pixels;
};

class Warp {
public:
    // The sources code their pixels alike.
    Warp(const std::vector<Source> &sources, const IdaFile &grid)
        : sources_(sources), grid_(grid), kinds_(pixel_kinds(sources.front().file->image)),
          in_grid_(grid, grid_block)
    {
        for (const Source &source : sources)
            in_sources_.emplace_back(*source.file, source_block);
    }

    // One line of the grid, its places found once for all the sources: each
    // pixel the byte of the pixel whose centre lies nearest to its own
    // centre's place, of the first source with a valid one there, else of
    // the first source with one there.
    void line(int y, unsigned char *out, unsigned char *held)
    {
        places_.find(grid_, grid_block, y);
        for (std::size_t s = 0; s < sources_.size(); ++s) {
            const Source &source = sources_[s];
            const IdaFile &f = *source.file;
            _InitProjection(&f.image, source_block);
            const std::vector<uint32_t> &under = in_sources_[s].find(places_.places);
            for (std::size_t k = 0; k < places_.taken.size(); ++k) {
                if (under[k] == nowhere)
                    continue;
                const unsigned char byte = source.pixels[under[k]];
                const Held now = kinds_[byte] == PixelKind::valid ? held_valid : held_code;
                const int x = places_.taken[k];
                if (held[x] < now) {
                    out[x] = byte;
                    held[x] = now;
                }
            }
        }
    }

    // Each pixel of the sources to the grid's pixel whose centre lies
    // nearest to its own centre's place, added to statistic there.  The
    // median keeps every pixel, so each source's grid pixels are found
    // whole, to count the pixels of each grid pixel before adding them;
    // the other statistics take a band of lines at a time, so that the grid
    // pixels the pixels go to take 4 bytes a pixel of a band, not of the
    // whole source.
    void add_to(Statistic &statistic, bool median)
    {
        if (!median) {
            for (const Source &source : sources_)
                add_in_bands(source, statistic);
            return;
        }
        std::deque<SharedBytes> all;
        for (const Source &source : sources_) {
            uint32_t *const to = reinterpret_cast<uint32_t *>(
                all.emplace_back(source.pixels.size() * sizeof(uint32_t)).data());
            targets(source, 0, source.file->rows, to);
            gather(to, source.pixels.data(), source.pixels.size(),
                   [&](uint32_t at, unsigned char byte) { statistic.count(at, byte); });
        }
        statistic.make_room();
        for (std::size_t s = 0; s < sources_.size(); ++s)
            gather(reinterpret_cast<const uint32_t *>(all[s].data()), sources_[s].pixels.data(),
                   sources_[s].pixels.size(),
                   [&](uint32_t at, unsigned char byte) { statistic.add(at, byte); });
    }

private:
    void add_in_bands(const Source &source, Statistic &statistic)
    {
        const std::size_t columns = std::size_t(source.file->columns);
        const int rows = source.file->rows;
        const int band =
            int(std::clamp(target_pixels / columns, std::size_t(1), std::size_t(rows)));
        const SharedBytes shared(std::size_t(band) * columns * sizeof(uint32_t));
        uint32_t *const to = reinterpret_cast<uint32_t *>(shared.data());
        for (int first = 0; first < rows; first += band) {
            const int last = std::min(rows, first + band);
            targets(source, first, last, to);
            gather(to, &source.pixels[std::size_t(first) * columns],
                   std::size_t(last - first) * columns,
                   [&](uint32_t at, unsigned char byte) { statistic.add(at, byte); });
        }
    }

    // take(grid pixel, byte) for each of size bytes whose grid pixel in to
    // is one.
    template <typename Take>
    static void gather(const uint32_t *to, const unsigned char *bytes, std::size_t size, Take take)
    {
        for (std::size_t k = 0; k < size; ++k)
            if (to[k] != nowhere)
                take(to[k], bytes[k]);
    }

    // For each pixel of source's lines first to last - 1, into to from the
    // first line's first pixel: the grid's pixel whose centre lies nearest
    // to its own centre's place, as an index from the grid's first pixel,
    // or nowhere.
    void targets(const Source &source, int first, int last, uint32_t *to)
    {
        const IdaFile &f = *source.file;
        _InitProjection(&f.image, source_block);
        make_all(first, last, [&](int y) {
            uint32_t *const out = to + std::size_t(y - first) * std::size_t(f.columns);
            places_.find(f, source_block, y);
            const std::vector<uint32_t> &under = in_grid_.find(places_.places);
            std::fill_n(out, f.columns, nowhere);
            for (std::size_t k = 0; k < places_.taken.size(); ++k)
                out[places_.taken[k]] = under[k];
        });
    }

    const std::vector<Source> &sources_;
    const IdaFile &grid_;
    const std::array<PixelKind, 256> kinds_;
    // The pixels of each source, and of the grid, under places.
    PixelsUnder in_grid_;
    std::vector<PixelsUnder> in_sources_;
    LinePlaces places_;
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
    if (options.output.empty() || options.grid.empty())
        throw UsageError("warp takes FILE..., --grid GRID.ida and -o OUT.ida");
    std::vector<std::string> inputs = options.files;
    inputs.push_back(options.grid);
    refuse_input_as_output(options.output, inputs);

    allow_open_files();
    std::vector<IdaFile> sources;
    for (const std::string &path : options.files) {
        sources.push_back(open_projected(path, options.tables, "has no place to take from"));
        check_same_coding(sources.front(), sources.back());
    }
    const IdaFile grid = open_projected(options.grid, options.tables, "gives no grid");

    // The first source's header, the image it holds and its coding, placed
    // as the grid places its pixels.
    unsigned char header[QUORVEX_HEADER_SIZE];
    std::memcpy(header, sources.front().header, sizeof header);
    for (const auto &bytes : placing_bytes)
        std::memcpy(header + bytes.first, grid.header + bytes.first, std::size_t(bytes.second));

    // The sources' pixels, held together so that each line's places are
    // found once for all of them.
    std::vector<Source> scans;
    for (IdaFile &f : sources) {
        scans.push_back({&f, std::vector<unsigned char>(f.pixel_count())});
        read_exactly(f, scans.back().pixels.data(), scans.back().pixels.size());
    }

    // Each source in turn fills the grid pixels that hold nothing yet or a
    // code where it has a valid pixel; with a statistic, its valid pixels
    // go to the grid pixels their places fall in.
    const SharedBytes result(grid.pixel_count()), held(grid.pixel_count());
    unsigned char *const out = result.data();
    const std::size_t columns = std::size_t(grid.columns);
    Warp warp(scans, grid);
    make_all(0, grid.rows, [&](int y) {
        warp.line(y, out + std::size_t(y) * columns, held.data() + std::size_t(y) * columns);
    });
    std::unique_ptr<Statistic> statistic;
    if (!options.statistic.empty()) {
        statistic =
            std::make_unique<Statistic>(sources.front(), options.statistic, grid.pixel_count());
        warp.add_to(*statistic, options.statistic == "median");
    }
    // The pixels no source shows take the missing code the sources share.
    const std::array<PixelKind, 256> kinds = pixel_kinds(sources.front().image);
    const auto missing = std::find(kinds.begin(), kinds.end(), PixelKind::missing);
    for (std::size_t k = 0; k < grid.pixel_count(); ++k) {
        if (held.data()[k] != held_nothing)
            continue;
        if (missing == kinds.end())
            throw InputError(sources.front().path + ": the image has no missing code for the " +
                             "places of the grid it does not cover");
        out[k] = static_cast<unsigned char>(missing - kinds.begin());
    }
    if (statistic != nullptr)
        statistic->finish(grid.pixel_count(), out);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(header, 1, sizeof header, stream) != sizeof header ||
            std::fwrite(result.data(), 1, grid.pixel_count(), stream) != grid.pixel_count())
            return std::strerror(errno);
        return "";
    });
    return 0;
}

} // namespace cli
