// quorvex render: the image as a PNG, one pixel per pixel, coloured by the
// classes of a colour file or by a ramp over the physical values; missing
// pixels transparent; optionally a legend panel beside it.
#include "cli.h"
#include "colour_file.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

// Premultiplied ARGB32 as cairo stores it; 0 is fully transparent.
using Argb = uint32_t;

Argb opaque(unsigned red, unsigned green, unsigned blue)
{
    return 0xff000000u | red << 16 | green << 8 | blue;
}

struct LegendEntry {
    Argb colour;
    std::string text;
};

struct Colouring {
    std::array<Argb, 256> by_byte{};
    std::vector<LegendEntry> legend;
};

// Byte by byte, the first class that holds it; missing codes and bytes of
// no class stay transparent.
Colouring from_classes(const std::vector<ColourClass> &classes,
                       const std::array<PixelKind, 256> &kinds)
{
    Colouring c;
    for (auto k = classes.rbegin(); k != classes.rend(); ++k)
        for (int byte = k->from; byte <= k->to; ++byte)
            c.by_byte[byte] = opaque(k->red, k->green, k->blue);
    for (int byte = 0; byte < 256; ++byte)
        if (kinds[byte] == PixelKind::missing)
            c.by_byte[byte] = 0;
    for (const ColourClass &k : classes)
        c.legend.push_back({opaque(k.red, k.green, k.blue),
                            k.legend.empty() ? std::to_string(k.from) + "-" + std::to_string(k.to)
                                             : printable(k.legend.data(), k.legend.size())});
    return c;
}

// A perceptually even ramp from dark violet through teal to yellow over
// the physical values of the valid bytes present; missing and other
// special codes, which have no physical value, stay transparent.
Colouring ramp(const IdaFile &f, const std::array<PixelKind, 256> &kinds,
               const std::array<bool, 256> &present)
{
    static const unsigned char stops[5][3] = {
        {68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    std::vector<int> bytes;
    for (int byte = 0; byte < 256; ++byte)
        if (present[byte] && kinds[byte] == PixelKind::valid) {
            bytes.push_back(byte);
            lowest = std::fmin(lowest, f.physical(byte));
            highest = std::fmax(highest, f.physical(byte));
        }
    Colouring c;
    const auto colour_of = [&](double value) {
        const double t = highest > lowest ? (value - lowest) / (highest - lowest) : 0.5;
        const double at = std::fmin(std::fmax(t, 0.0), 1.0) * 4.0;
        const int stop = std::min(static_cast<int>(at), 3);
        const double w = at - stop;
        unsigned rgb[3];
        for (int i = 0; i < 3; ++i)
            rgb[i] = static_cast<unsigned>(
                std::lround(stops[stop][i] * (1 - w) + stops[stop + 1][i] * w));
        return opaque(rgb[0], rgb[1], rgb[2]);
    };
    for (int byte : bytes)
        c.by_byte[byte] = colour_of(f.physical(byte));
    if (bytes.empty())
        return c;
    // Six evenly spaced values from the lowest to the highest.
    for (int k = 0; k < 6; ++k) {
        const double value = lowest + (highest - lowest) * k / 5.0;
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", value);
        c.legend.push_back({colour_of(value), text});
    }
    return c;
}

struct SurfaceDeleter {
    void operator()(cairo_surface_t *s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t *c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;
using Context = std::unique_ptr<cairo_t, ContextDeleter>;

Surface new_surface(int width, int height, const std::string &path)
{
    Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS)
        throw InputError(path + ": cannot make a " + std::to_string(width) + " x " +
                         std::to_string(height) + " picture (" +
                         cairo_status_to_string(cairo_surface_status(s.get())) + ")");
    return s;
}

// Legend layout, in pixels.
constexpr double margin = 8, swatch = 14, gap = 6, row_height = 20, font_size = 12;

void set_font(cairo_t *cr)
{
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, font_size);
}

// The image with a white panel to its right listing each colour and its
// text; below a short image the picture stays transparent.
Surface with_legend(const Surface &image, const std::vector<LegendEntry> &legend,
                    const std::string &path)
{
    Surface scratch = new_surface(1, 1, path);
    Context measure(cairo_create(scratch.get()));
    set_font(measure.get());
    double widest = 0;
    for (const LegendEntry &e : legend) {
        cairo_text_extents_t extents;
        cairo_text_extents(measure.get(), e.text.c_str(), &extents);
        widest = std::fmax(widest, extents.x_advance);
    }
    const int columns = cairo_image_surface_get_width(image.get());
    const int rows = cairo_image_surface_get_height(image.get());
    const int panel_width = static_cast<int>(std::ceil(2 * margin + swatch + gap + widest));
    const int panel_height =
        static_cast<int>(2 * margin + row_height * static_cast<double>(legend.size()));
    Surface out = new_surface(columns + panel_width, std::max(rows, panel_height), path);
    Context cr(cairo_create(out.get()));
    cairo_set_source_surface(cr.get(), image.get(), 0, 0);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr.get(), 0, 0, columns, rows);
    cairo_fill(cr.get());
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_OVER);
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_rectangle(cr.get(), columns, 0, panel_width, panel_height);
    cairo_fill(cr.get());
    set_font(cr.get());
    for (std::size_t k = 0; k < legend.size(); ++k) {
        const double x = columns + margin, y = margin + row_height * static_cast<double>(k);
        const Argb colour = legend[k].colour;
        cairo_set_source_rgb(cr.get(), (colour >> 16 & 0xff) / 255.0, (colour >> 8 & 0xff) / 255.0,
                             (colour & 0xff) / 255.0);
        cairo_rectangle(cr.get(), x, y, swatch, swatch);
        cairo_fill(cr.get());
        cairo_set_source_rgb(cr.get(), 0.2, 0.2, 0.2);
        cairo_set_line_width(cr.get(), 1);
        cairo_rectangle(cr.get(), x - 0.5, y - 0.5, swatch + 1, swatch + 1);
        cairo_stroke(cr.get());
        cairo_set_source_rgb(cr.get(), 0, 0, 0);
        cairo_move_to(cr.get(), x + swatch + gap, y + swatch - 2);
        cairo_show_text(cr.get(), legend[k].text.c_str());
    }
    if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS)
        throw InputError(path + ": cannot draw the legend (" +
                         cairo_status_to_string(cairo_status(cr.get())) + ")");
    return out;
}

// Where the PNG goes, and the first system error in writing it, which says
// more than the encoder's "error while writing".
struct PngSink {
    std::FILE *stream;
    int error;
};

cairo_status_t write_to_stream(void *closure, const unsigned char *data, unsigned int length)
{
    PngSink &sink = *static_cast<PngSink *>(closure);
    if (std::fwrite(data, 1, length, sink.stream) == length)
        return CAIRO_STATUS_SUCCESS;
    sink.error = errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

// Writes the PNG beside its final name and renames it into place, so that
// the output is either the whole new picture or what it was before.  A
// link is followed to the file it leads to, which is replaced and the link
// kept (/dev/stdout into a file included).  A device or a pipe (a
// terminal, /dev/stdout into a pipe) is written straight into: renaming
// over it would put a plain file in its place and report success for bytes
// the device never saw.
void write_png(cairo_surface_t *picture, const std::string &path)
{
    struct stat info;
    const bool in_place =
        stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    std::string target = path;
    if (char *resolved = in_place ? nullptr : realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const std::size_t slash = target.rfind('/');
    std::string temporary =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
        ".quorvex-XXXXXX";
    const int fd = in_place ? open(path.c_str(), O_WRONLY) : mkstemp(temporary.data());
    if (fd < 0)
        throw InputError(path + ": cannot " + (in_place ? "write" : "create") + " (" +
                         std::strerror(errno) + ")");
    if (!in_place) {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    std::FILE *stream = fdopen(fd, "wb");
    std::string why;
    if (stream == nullptr) {
        why = std::strerror(errno);
        close(fd);
    } else {
        PngSink sink{stream, 0};
        const cairo_status_t status =
            cairo_surface_write_to_png_stream(picture, write_to_stream, &sink);
        if ((std::fflush(stream) != 0 || (!in_place && fsync(fileno(stream)) != 0)) &&
            sink.error == 0)
            sink.error = errno;
        if (std::fclose(stream) != 0 && sink.error == 0)
            sink.error = errno;
        if (sink.error != 0)
            why = std::strerror(sink.error);
        else if (status != CAIRO_STATUS_SUCCESS)
            why = cairo_status_to_string(status);
        else if (!in_place && std::rename(temporary.c_str(), target.c_str()) != 0)
            why = std::strerror(errno);
    }
    if (!why.empty()) {
        if (!in_place)
            unlink(temporary.c_str());
        throw InputError(path + ": cannot write (" + why + ")");
    }
}

bool same_file(const std::string &a, const std::string &b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

int run_render(Options &options)
{
    if (options.files.size() != 1 || options.output.empty())
        throw UsageError("render takes one FILE and -o OUT.png");
    const std::string &output = options.output;
    for (const std::string *input : {&options.files[0], &options.colours, &options.tables_path})
        if (same_file(*input, output))
            throw UsageError(output + ": names an input file (" + *input +
                             "); name another output");
    std::vector<ColourClass> classes;
    std::string error;
    if (!options.colours.empty() && !read_colour_file(options.colours, &classes, &error))
        throw InputError(error);

    IdaFile f = open_ida(options.files[0]);
    describe(f, options.tables);
    if (f.status != QUORVEX_SUCCESS)
        throw InputError(refusal(f));
    if (f.pixel_count() == 0)
        throw InputError(f.path + ": the image has no pixels to draw");

    Surface image = new_surface(f.columns, f.rows, output);
    cairo_surface_flush(image.get());
    unsigned char *data = cairo_image_surface_get_data(image.get());
    const int stride = cairo_image_surface_get_stride(image.get());
    // The bytes first, in place in the surface's rows; colours once every
    // byte present is known.
    std::array<bool, 256> present{};
    std::size_t at_row = 0;
    int at_column = 0;
    read_pixels(f, [&](const unsigned char *bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            present[bytes[i]] = true;
            reinterpret_cast<Argb *>(data + at_row * static_cast<std::size_t>(stride))[at_column] =
                bytes[i];
            if (++at_column == f.columns)
                at_column = 0, ++at_row;
        }
    });
    const std::array<PixelKind, 256> kinds = pixel_kinds(f.image);
    const Colouring colouring =
        options.colours.empty() ? ramp(f, kinds, present) : from_classes(classes, kinds);
    for (int row = 0; row < f.rows; ++row) {
        Argb *line = reinterpret_cast<Argb *>(data + static_cast<std::size_t>(row) * stride);
        for (int column = 0; column < f.columns; ++column)
            line[column] = colouring.by_byte[line[column]];
    }
    cairo_surface_mark_dirty(image.get());

    if (options.legend)
        write_png(with_legend(image, colouring.legend, output).get(), output);
    else
        write_png(image.get(), output);
    image.reset();
    // The font caches cairo and fontconfig keep for the process, freed so
    // that a leak checker sees only what is ours.
    cairo_debug_reset_static_data();
    FcFini();
    return 0;
}

} // namespace cli
