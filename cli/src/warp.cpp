// quorvex warp: an image put on the grid of another, through the library's
// projection engine.  Images of one region in different projections (a
// scan in the satellite's view, a product in a continental grid) become
// one stack that check agrees with and composite can combine.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli {

namespace {

// The engine's two blocks: the source image's and the grid's, prepared
// once, so that no line needs a block prepared again.
constexpr int16_t source_block = QUORVEX_INPUT_BLOCK;
constexpr int16_t grid_block = QUORVEX_OUTPUT_BLOCK;

// The header bytes that place an image: the projection code, the size,
// and the centre, reference pixel, scale and parallels.
constexpr std::pair<int, int> placing_bytes[] = {{projection_offset, 1}, {30, 4}, {120, 48}};

// Converts the longitude/latitude pairs of points (its last element the
// end marker) into image coordinates of image, through block.  Where the
// engine stops at a point it cannot project (the antipode of an azimuthal
// centre, a point at infinity), leaving it and the later points as they
// were and the earlier ones as plane coordinates, that point keeps the end
// marker as its column, outside every image, and the others are converted
// without it.
void to_image(const IMAGETYPE &image, int16_t block, std::vector<double> &points,
              std::vector<double> &given)
{
    const std::size_t count = points.size() / 2;
    given = points;
    for (std::size_t from = 0; from < count;) {
        _LonLatToImage(&image, points.data() + 2 * from, 0, block);
        // The stop is the first of the points that all came back unchanged.
        std::size_t stop = count;
        while (stop > from && points[2 * stop - 2] == given[2 * stop - 2] &&
               points[2 * stop - 1] == given[2 * stop - 1])
            --stop;
        if (stop == count)
            return;
        std::copy(given.begin() + 2 * from, given.begin() + 2 * stop, points.begin() + 2 * from);
        points[2 * stop] = QUORVEX_NO_VALUE;
        _LonLatToImage(&image, points.data() + 2 * from, 0, block);
        from = stop + 1;
    }
}

class Warp {
public:
    Warp(const IdaFile &source, const IdaFile &grid, std::vector<unsigned char> pixels)
        : source_(source), grid_(grid), pixels_(std::move(pixels)),
          lonlat_(2 * std::size_t(grid.columns) + 1)
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
        const int redone = places_of_line(y);
        // Only pixels with a place go on (a marked pixel would read as the
        // end of the list), each with a place within 180 degrees of the
        // map's centre, and of those the inverse converted one at a time
        // only the ones whose place leads back to them.
        taken_.clear();
        places_.clear();
        back_.clear();
        for (int x = 0; x < columns; ++x) {
            const double lon = lonlat_[2 * std::size_t(x)], lat = lonlat_[2 * std::size_t(x) + 1];
            if (std::isfinite(lon) && std::fabs(lat) <= 90.0 && !beyond_the_map(grid_.image, lon)) {
                taken_.push_back(x);
                places_.push_back(lon);
                places_.push_back(lat);
                if (x >= redone) {
                    back_.push_back(lon);
                    back_.push_back(lat);
                }
            }
        }
        places_.push_back(QUORVEX_NO_VALUE);
        back_.push_back(QUORVEX_NO_VALUE);
        to_image(grid_.image, grid_block, back_, given_);
        to_image(source_.image, source_block, places_, given_);

        std::fill_n(out, columns, static_cast<unsigned char>(fill_ < 0 ? 0 : fill_));
        const std::size_t checked = taken_.size() - (back_.size() - 1) / 2;
        int placed = 0;
        for (std::size_t k = 0; k < taken_.size(); ++k) {
            const int x = taken_[k];
            if (k >= checked && !leads_back(&back_[2 * (k - checked)], x, y))
                continue;
            const double c = std::ceil(places_[2 * k] - 0.5);
            const double l = std::ceil(places_[2 * k + 1] - 0.5);
            if (c >= 0 && c < source_.columns && l >= 0 && l < source_.rows) {
                out[x] = pixels_[std::size_t(l) * std::size_t(source_.columns) + std::size_t(c)];
                ++placed;
            }
        }
        if (placed < columns && fill_ < 0)
            throw InputError(source_.path + ": the image has no missing code for the places " +
                             "of the grid it does not cover");
    }

private:
    // Whether a place that the grid's forward took to back leads back to
    // pixel x of line y.
    static bool leads_back(const double *back, int x, int y)
    {
        return std::fabs(back[0] - x) <= round_trip_pixels &&
               std::fabs(back[1] - y) <= round_trip_pixels;
    }

    // The places of the pixels of line y into lonlat_, through the grid's
    // inverse.  The inverse stops at a pixel it cannot convert (beyond the
    // Lambert azimuthal's circle of radius 2a, say), leaving that pixel and
    // the later ones as it had them, in plane coordinates.  The pixels of
    // the line's end that hold them, computed as the library computes them,
    // keep them where they lead back to the pixel (a place may coincide with
    // them: a plate carree centred at 0, 0); from the first that does not,
    // they are converted again one at a time, and the first of those is
    // returned.
    int places_of_line(int y)
    {
        const IMAGETYPE &g = grid_.image;
        _ImageToLonLat(&g, static_cast<uint16_t>(y), lonlat_.data(),
                       static_cast<uint16_t>(grid_.columns), grid_block);
        const double plane_y = (g.y_center - y) / g.dy;
        int unconverted = grid_.columns;
        while (unconverted > 0 && lonlat_[2 * std::size_t(unconverted) - 1] == plane_y &&
               lonlat_[2 * std::size_t(unconverted) - 2] ==
                   (static_cast<double>(unconverted - 1) - g.x_center) / g.dx)
            --unconverted;
        int stopped = unconverted;
        if (stopped < grid_.columns) {
            back_.assign(&lonlat_[2 * std::size_t(unconverted)],
                         &lonlat_[2 * std::size_t(grid_.columns)]);
            back_.push_back(QUORVEX_NO_VALUE);
            to_image(g, grid_block, back_, given_);
            while (stopped < grid_.columns &&
                   leads_back(&back_[2 * std::size_t(stopped - unconverted)], stopped, y))
                ++stopped;
        }
        IMAGETYPE one = g;
        for (int x = stopped; x < grid_.columns; ++x) {
            one.x_center = g.x_center - x;
            _ImageToLonLat(&one, static_cast<uint16_t>(y), &lonlat_[2 * std::size_t(x)], 1,
                           grid_block);
        }
        return stopped;
    }

    const IdaFile &source_;
    const IdaFile &grid_;
    const std::vector<unsigned char> pixels_;
    int fill_ = -1;
    std::vector<double> lonlat_, places_, back_, given_;
    std::vector<int> taken_;
};

IdaFile open_projected(const std::string &path, const QuorvexTables &tables, const char *role)
{
    IdaFile f = open_described(path, tables);
    if (f.image.header.projection == QUORVEX_PROJECTION_NONE)
        throw InputError(path + ": the image has no projection, so it " + role);
    return f;
}

// Memory shared with the processes forked after it is made.
class SharedBytes {
public:
    explicit SharedBytes(std::size_t size) : size_(size)
    {
        if (size_ == 0)
            return;
        void *map = mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED)
            throw std::bad_alloc();
        bytes_ = static_cast<unsigned char *>(map);
    }
    ~SharedBytes()
    {
        if (bytes_ != nullptr)
            munmap(bytes_, size_);
    }
    SharedBytes(const SharedBytes &) = delete;
    SharedBytes &operator=(const SharedBytes &) = delete;
    unsigned char *data() const { return bytes_; }

private:
    std::size_t size_;
    unsigned char *bytes_ = nullptr;
};

// Lines first to last - 1 of the grid into result; the reason they could
// not be made, or "".
std::string warp_lines(Warp &warp, int first, int last, int columns, unsigned char *result)
{
    try {
        for (int y = first; y < last; ++y)
            warp.line(y, result + std::size_t(y) * std::size_t(columns));
    } catch (const InputError &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return "out of memory";
    }
    return "";
}

// Every line of the grid into result.  The engine keeps its state per
// process, so the lines are shared out between processes, one a processor:
// each child makes a band of lines into the shared result and sends the
// reason it failed, if it did, through a pipe; this process makes the first
// band.  Where no child can be started, this process makes them all.
void warp_all(Warp &warp, int rows, int columns, unsigned char *result)
{
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    const int bands = static_cast<int>(std::max(1L, std::min({processors, 16L, rows / 16L})));
    struct Child {
        pid_t pid;
        int reason;
        int first, last;
    };
    std::vector<Child> children;
    int made = rows; // the lines from here on are made by children
    std::fflush(nullptr);
    for (int band = bands - 1; band > 0; --band) {
        const int first = static_cast<int>(int64_t(rows) * band / bands);
        int pipe_ends[2];
        if (pipe(pipe_ends) != 0)
            break;
        const pid_t pid = fork();
        if (pid == 0) {
            close(pipe_ends[0]);
            const std::string why = warp_lines(warp, first, made, columns, result);
            const bool sent = write(pipe_ends[1], why.data(), why.size()) == ssize_t(why.size());
            _exit(why.empty() && sent ? 0 : 1);
        }
        close(pipe_ends[1]);
        if (pid < 0) {
            close(pipe_ends[0]);
            break;
        }
        children.push_back({pid, pipe_ends[0], first, made});
        made = first;
    }
    std::string why = warp_lines(warp, 0, made, columns, result);
    for (const Child &child : children) {
        std::string reason;
        char text[256];
        for (ssize_t got; (got = read(child.reason, text, sizeof text)) > 0;)
            reason.append(text, std::size_t(got));
        close(child.reason);
        int status = 0;
        while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (reason.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            reason = "lines " + std::to_string(child.first) + " to " +
                     std::to_string(child.last - 1) + " could not be made";
        if (why.empty())
            why = reason;
    }
    if (!why.empty())
        throw InputError(why);
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

    Warp warp(source, grid, std::move(pixels));
    const SharedBytes result(grid.pixel_count());
    warp_all(warp, grid.rows, grid.columns, result.data());
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(header, 1, sizeof header, stream) != sizeof header ||
            std::fwrite(result.data(), 1, grid.pixel_count(), stream) != grid.pixel_count())
            return std::strerror(errno);
        return "";
    });
    return 0;
}

} // namespace cli
