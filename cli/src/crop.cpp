// quorvex crop: a window of an image as an image of its own, for the part
// of a continental archive one region needs.  Every pixel keeps its place,
// its byte and its coding: the header is the image's, with the window's
// size and the reference pixel moved by the window's corner, so the IDA
// type, the codes, the title and the bytes the library does not read all
// stay as they were.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

constexpr int x_center_offset = 132, y_center_offset = 138;

struct Window {
    int column = 0, line = 0, width = 0, height = 0;
};

Window window_of_pixels(const IdaFile &f, const std::string &text)
{
    double v[4];
    if (!parse_numbers(text, v, 4) ||
        std::any_of(v, v + 4, [](double x) { return x != std::floor(x) || x > INT_MAX; }) ||
        v[0] < 0 || v[1] < 0 || v[2] < 1 || v[3] < 1)
        throw UsageError("--pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as "
                         "10,20,300,200");
    const Window w{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
    if (v[0] + v[2] > f.columns || v[1] + v[3] > f.rows)
        throw InputError(f.path + ": the window of " + text + " reaches beyond the image's " +
                         std::to_string(f.columns) + " x " + std::to_string(f.rows) + " pixels");
    return w;
}

// The smallest window holding every pixel whose centre's place lies in the
// box, through the image's inverse a line at a time.
Window window_of_box(const IdaFile &f, const std::string &text)
{
    ShapeSearch search(f, {parse_box(text).shape()}, "a box");
    // Each line's leftmost and rightmost pixel in the box, or -1, the lines
    // shared out between processes.
    const SharedBytes shared(std::size_t(f.rows) * 2 * sizeof(int32_t));
    int32_t *const ends = reinterpret_cast<int32_t *>(shared.data());
    make_all(0, f.rows, [&](int y) {
        const std::vector<int> &columns = search.columns(y).front();
        ends[2 * y] = columns.empty() ? -1 : columns.front();
        ends[2 * y + 1] = columns.empty() ? -1 : columns.back();
    });
    int left = f.columns, right = -1, top = f.rows, bottom = -1;
    for (int y = 0; y < f.rows; ++y)
        if (ends[2 * y] >= 0) {
            left = std::min(left, ends[2 * y]);
            right = std::max(right, ends[2 * y + 1]);
            top = std::min(top, y);
            bottom = y;
        }
    if (bottom < 0)
        throw InputError(f.path + ": no pixel's centre lies in the box " + text);
    return {left, top, right - left + 1, bottom - top + 1};
}

} // namespace

int run_crop(Options &options)
{
    if (options.files.size() != 1 || options.output.empty())
        throw UsageError("crop takes one FILE and -o OUT.ida");
    if (options.window.empty() == options.box.empty())
        throw UsageError("crop takes one of --pixels COLUMN,LINE,WIDTH,HEIGHT and "
                         "--box WEST,SOUTH,EAST,NORTH");
    refuse_input_as_output(options.output, {options.files[0]});
    IdaFile f = open_described(options.files[0], options.tables);
    const Window w =
        options.box.empty() ? window_of_pixels(f, options.window) : window_of_box(f, options.box);

    // The reference pixel moves by the window's corner; a position the
    // header's reals cannot hold after the move (one with more fraction
    // bits than its new size leaves room for) is truncated by under a
    // millionth of a pixel.
    unsigned char header[QUORVEX_HEADER_SIZE];
    std::memcpy(header, f.header, sizeof header);
    for (const auto &[at, size] : {std::pair(rows_offset, w.height), {columns_offset, w.width}}) {
        header[at] = static_cast<unsigned char>(size & 0xff);
        header[at + 1] = static_cast<unsigned char>(size >> 8);
    }
    _DoubleCtoRealPascal(header + x_center_offset, r48(f.header, x_center_offset) - w.column);
    _DoubleCtoRealPascal(header + y_center_offset, r48(f.header, y_center_offset) - w.line);

    std::vector<unsigned char> line(std::size_t(w.width));
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(header, 1, sizeof header, stream) != sizeof header)
            return std::strerror(errno);
        for (int y = w.line; y < w.line + w.height; ++y) {
            read_at(f, w.column, y, line.data(), line.size());
            if (std::fwrite(line.data(), 1, line.size(), stream) != line.size())
                return std::strerror(errno);
        }
        return "";
    });
    return 0;
}

} // namespace cli
