// quorvex render: the image as a PNG, one pixel per pixel, coloured by the
// classes of a colour file or by a ramp over the physical values; missing
// pixels transparent; optionally a legend panel beside it.
#include "cli.h"
#include "colour_file.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

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
// the physical values of the valid bytes present; or, about a centre, from
// brown through white at the centre to blue-green, as far either way as
// the value furthest from it (the departures of an anomaly, about 0 or 100
// percent).  Missing and other special codes, which have no physical
// value, stay transparent.
Colouring ramp(const IdaFile &f, const std::array<PixelKind, 256> &kinds,
               const std::array<bool, 256> &present, const double *centre)
{
    static const unsigned char sequential[5][3] = {
        {68, 1, 84}, {59, 82, 139}, {33, 145, 140}, {94, 201, 98}, {253, 231, 37}};
    static const unsigned char diverging[5][3] = {
        {166, 97, 26}, {223, 194, 125}, {245, 245, 245}, {128, 205, 193}, {1, 133, 113}};
    const auto &stops = centre ? diverging : sequential;
    double lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    std::vector<int> bytes;
    for (int byte = 0; byte < 256; ++byte)
        if (present[byte] && kinds[byte] == PixelKind::valid) {
            bytes.push_back(byte);
            lowest = std::fmin(lowest, f.physical(byte));
            highest = std::fmax(highest, f.physical(byte));
        }
    Colouring c;
    if (bytes.empty())
        return c;
    if (centre) {
        const double reach = std::fmax(*centre - lowest, highest - *centre);
        lowest = *centre - reach;
        highest = *centre + reach;
    }
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
    // Evenly spaced values from the lowest to the highest: six, or five
    // with the centre in the middle.
    const int values = centre ? 5 : 6;
    for (int k = 0; k < values; ++k) {
        const double value = lowest + (highest - lowest) * k / (values - 1);
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

// A premultiplied colour as the straight red, green, blue and alpha bytes
// a PNG holds.
std::array<unsigned char, 4> straight(Argb colour)
{
    const unsigned alpha = colour >> 24;
    const auto part = [alpha](unsigned value) {
        return static_cast<unsigned char>(alpha == 0 ? 0 : (value * 255 + alpha / 2) / alpha);
    };
    return {part(colour >> 16 & 0xff), part(colour >> 8 & 0xff), part(colour & 0xff),
            static_cast<unsigned char>(alpha)};
}

// The colours of a picture of at most 256, in the order they are first
// met, for a PNG whose pixels are one byte each, the colour's entry.
class Palette {
public:
    // The colour's entry, made when it is new; -1 when 256 are taken.
    int entry(Argb colour)
    {
        std::size_t slot = (colour * 2654435761u) >> 23; // 512 slots, at most half used
        for (; slot_entry_[slot] != 0; slot = (slot + 1) % 512)
            if (slot_colour_[slot] == colour)
                return slot_entry_[slot] - 1;
        if (entries_ == 256)
            return -1;
        slot_colour_[slot] = colour;
        slot_entry_[slot] = static_cast<uint16_t>(entries_ + 1);
        const std::array<unsigned char, 4> rgba = straight(colour);
        colours_[entries_] = {rgba[0], rgba[1], rgba[2]};
        alpha_[entries_] = rgba[3];
        if (rgba[3] != 255)
            alpha_entries_ = entries_ + 1;
        return entries_++;
    }

    void describe(png_structp png, png_infop info) const
    {
        png_set_PLTE(png, info, colours_, entries_);
        if (alpha_entries_ > 0)
            png_set_tRNS(png, info, alpha_, alpha_entries_, nullptr);
    }

private:
    png_color colours_[256] = {};
    png_byte alpha_[256] = {};
    int entries_ = 0;
    int alpha_entries_ = 0; // up to the last entry that is not opaque
    Argb slot_colour_[512] = {};
    uint16_t slot_entry_[512] = {}; // entry + 1; 0 for a free slot
};

// A picture of at most 256 colours turned in place into palette entries,
// each row's bytes at its start; false, and the picture unchanged, when it
// has more.
bool to_entries(cairo_surface_t *picture, Palette &palette)
{
    cairo_surface_flush(picture);
    unsigned char *data = cairo_image_surface_get_data(picture);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(picture));
    const int width = cairo_image_surface_get_width(picture);
    const int height = cairo_image_surface_get_height(picture);
    // Counted first, written once they fit; neighbours mostly repeat.
    for (const bool write : {false, true}) {
        for (int row = 0; row < height; ++row) {
            unsigned char *line = data + static_cast<std::size_t>(row) * stride;
            Argb last = 0;
            int entry = -1;
            for (int column = 0; column < width; ++column) {
                Argb pixel;
                std::memcpy(&pixel, line + 4 * column, 4);
                if ((entry < 0 || pixel != last) && (entry = palette.entry(last = pixel)) < 0)
                    return false;
                if (write)
                    line[column] = static_cast<unsigned char>(entry);
            }
        }
    }
    return true;
}

// The picture's premultiplied native-order colours turned in place into
// the RGBA bytes a PNG holds.
void to_rgba(cairo_surface_t *picture)
{
    cairo_surface_flush(picture);
    unsigned char *data = cairo_image_surface_get_data(picture);
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(picture));
    const int width = cairo_image_surface_get_width(picture);
    for (int row = 0; row < cairo_image_surface_get_height(picture); ++row) {
        unsigned char *at = data + static_cast<std::size_t>(row) * stride;
        for (int column = 0; column < width; ++column, at += 4) {
            Argb pixel;
            std::memcpy(&pixel, at, 4);
            const std::array<unsigned char, 4> rgba = straight(pixel);
            std::memcpy(at, rgba.data(), 4);
        }
    }
}

// Where the PNG goes; the first system error in writing it, which says
// more than the encoder's "write error"; the encoder's own message.
struct PngSink {
    std::FILE *stream;
    int error;
    char message[160];
};

void encoder_failed(png_structp png, png_const_charp message)
{
    PngSink &sink = *static_cast<PngSink *>(png_get_error_ptr(png));
    std::snprintf(sink.message, sizeof sink.message, "%s", message);
    png_longjmp(png, 1);
}

void encoder_warned(png_structp, png_const_charp) {}

void write_to_stream(png_structp png, png_bytep data, std::size_t length)
{
    PngSink &sink = *static_cast<PngSink *>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, sink.stream) != length) {
        sink.error = errno;
        png_error(png, "write error");
    }
}

void flush_nothing(png_structp) {}

// Encodes rows of palette indices (with a palette) or of RGBA bytes, each
// row `stride` bytes after the one before.  libpng reports a failure by a
// jump back here, so nothing in this function owns anything a jump could
// skip.  The rows are filtered as libpng picks per row and compressed at
// zlib level 3: against the default of 6, a large image is written two to
// five times as fast, in a file a tenth to a fifth larger.
bool encode_png(PngSink &sink, int width, int height, const unsigned char *rows, std::size_t stride,
                const Palette *palette)
{
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, encoder_failed, encoder_warned);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        std::snprintf(sink.message, sizeof sink.message, "out of memory");
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, write_to_stream, flush_nothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 palette != nullptr ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (palette != nullptr)
        palette->describe(png, info);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
    png_set_compression_level(png, 3);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row)
        png_write_row(png, rows + static_cast<std::size_t>(row) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Writes the PNG whole or not at all (replace_file).
void write_png(int width, int height, const unsigned char *rows, std::size_t stride,
               const Palette *palette, const std::string &path)
{
    replace_file(path, [&](std::FILE *stream) -> std::string {
        PngSink sink{stream, 0, ""};
        const bool encoded = encode_png(sink, width, height, rows, stride, palette);
        if (sink.error != 0)
            return std::strerror(sink.error);
        return encoded ? "" : sink.message;
    });
}

} // namespace

int run_render(Options &options)
{
    if (options.files.size() != 1 || options.output.empty())
        throw UsageError("render takes one FILE and -o OUT.png");
    const std::string &output = options.output;
    refuse_input_as_output(output, {options.files[0], options.colours, options.tables_path});
    double centre_value = 0;
    const double *centre = nullptr;
    if (!options.diverge_at.empty()) {
        if (!options.colours.empty())
            throw UsageError("render takes one of --colours FILE.CLR and --diverge-at VALUE");
        if (!parse_numbers(options.diverge_at, &centre_value, 1))
            throw UsageError("--diverge-at needs a number, such as 0 or 100");
        centre = &centre_value;
    }
    std::vector<ColourClass> classes;
    std::string error;
    if (!options.colours.empty() && !read_colour_file(options.colours, &classes, &error))
        throw InputError(error);

    IdaFile f = open_described(options.files[0], options.tables);
    if (f.pixel_count() == 0)
        throw InputError(f.path + ": the image has no pixels to draw");

    // The bytes first; colours once every byte present is known.
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<std::size_t>(f.pixel_count()));
    std::array<bool, 256> present{};
    read_pixels(f, [&](const unsigned char *bytes, std::size_t size) {
        for (std::size_t i = 0; i < size; ++i)
            present[bytes[i]] = true;
        pixels.insert(pixels.end(), bytes, bytes + size);
    });
    const std::array<PixelKind, 256> kinds = pixel_kinds(f.image);
    const Colouring colouring =
        options.colours.empty() ? ramp(f, kinds, present, centre) : from_classes(classes, kinds);
    const auto width = static_cast<std::size_t>(f.columns);

    if (!options.legend) {
        // At most 256 colours: one byte a pixel, its palette entry.
        Palette palette;
        std::array<unsigned char, 256> entry_of;
        for (int byte = 0; byte < 256; ++byte)
            entry_of[byte] = static_cast<unsigned char>(palette.entry(colouring.by_byte[byte]));
        for (unsigned char &byte : pixels)
            byte = entry_of[byte];
        write_png(f.columns, f.rows, pixels.data(), width, &palette, output);
        return 0;
    }
    Surface image = new_surface(f.columns, f.rows, output);
    cairo_surface_flush(image.get());
    unsigned char *data = cairo_image_surface_get_data(image.get());
    const auto stride = static_cast<std::size_t>(cairo_image_surface_get_stride(image.get()));
    for (std::size_t row = 0; row < static_cast<std::size_t>(f.rows); ++row) {
        Argb *line = reinterpret_cast<Argb *>(data + row * stride);
        for (std::size_t column = 0; column < width; ++column)
            line[column] = colouring.by_byte[pixels[row * width + column]];
    }
    cairo_surface_mark_dirty(image.get());
    pixels = {};

    Surface picture = with_legend(image, colouring.legend, output);
    image.reset();
    // With the legend's text the colours may grow beyond a palette.
    Palette palette;
    const bool indexed = to_entries(picture.get(), palette);
    if (!indexed)
        to_rgba(picture.get());
    write_png(cairo_image_surface_get_width(picture.get()),
              cairo_image_surface_get_height(picture.get()),
              cairo_image_surface_get_data(picture.get()),
              static_cast<std::size_t>(cairo_image_surface_get_stride(picture.get())),
              indexed ? &palette : nullptr, output);
    picture.reset();
    // The font caches cairo and fontconfig keep for the process, freed so
    // that a leak checker sees only what is ours.
    cairo_debug_reset_static_data();
    FcFini();
    return 0;
}

} // namespace cli
