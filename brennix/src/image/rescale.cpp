// Output header derivation and the table-driven pixel pass.
#include "rescale.h"

#include "number_text.h"
#include "quorvex/quorvex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace brennix {

HeaderBytes derive_output_header(const HeaderBytes &input, const std::string &input_name,
                                 const Law &output_law)
{
    HeaderBytes output = input;
    const std::string title = "Built from " + input_name + " with new slope and intercept" +
                              std::string(field::title_length, ' ');
    std::memcpy(&output[field::Title], title.data(), field::title_length);

    unsigned char real[6];
    _DoubleCtoRealPascal(real, output_law.intercept);
    std::memcpy(&output[field::b], real, sizeof real);
    _DoubleCtoRealPascal(real, output_law.slope);
    std::memcpy(&output[field::m], real, sizeof real);

    const unsigned char missing = input[field::Missing];
    output[field::Missing] = missing;
    output[field::Lower] = 0;
    output[field::Upper] = static_cast<unsigned char>(missing - 1);
    return output;
}

namespace {

// p rounded to one decimal, halves to even, as the log shows it.
double one_decimal(double p)
{
    return std::nearbyint(p * 10.0) / 10.0;
}

} // namespace

ByteTable::ByteTable(const Law &input_law, const Law &output_law, int missing)
{
    const int upper = missing - 1;
    for (int v = 0; v < 256; ++v) {
        maps_.stored[v] = static_cast<unsigned char>(v);
        maps_.logged[v] = 0;
        if (v == missing)
            continue;
        const double p = input_law.slope * v + input_law.intercept;
        // Default rounding mode: nearest, exact halves to the even neighbour.
        double n = std::nearbyint((p - output_law.intercept) / output_law.slope);
        const std::string value_text = " (" + number_text(one_decimal(p)) + ") out of range ";
        // Both tests run on the same n: a missing code of 0 clamps to -1
        // first, which the second test then lifts to 0.
        if (n > upper) {
            tail_[v] += value_text + "(overflow)\r\n";
            n = upper;
        }
        if (n < 0) {
            tail_[v] += value_text + "(underflow)\r\n";
            n = 0;
        }
        maps_.stored[v] = static_cast<unsigned char>(n);
        maps_.logged[v] = tail_[v].empty() ? 0 : 1;
    }
}

PixelRescaler::PixelRescaler(const ByteTable &table, int height, int width, LogFile &log)
    : table_(table), visits_(height > 0 && width > 0),
      width_(width > 0 ? static_cast<std::size_t>(width) : 0), log_(log)
{
}

PixelRescaler::PixelRescaler(const PixelRescaler &image, std::size_t first, LogFile &log)
    : table_(image.table_), visits_(image.visits_), width_(image.width_), log_(log),
      position_(first)
{
}

std::size_t PixelRescaler::next(unsigned char *pixels, std::size_t count, std::size_t log_limit)
{
    if (!visits_)
        return count;
    // Runs of pixels with nothing to log go through the table look-up in
    // bulk; each logged pixel is handled on its own, and the stretch after
    // it by the plain loop, since logged pixels tend to come in crowds that
    // would only restart the bulk path again and again.
    constexpr std::size_t stretch = 64;
    std::size_t i = 0;
    while ((i += map_unlogged_prefix(table_.maps(), pixels + i, count - i)) < count) {
        const std::size_t stretch_end = std::min(count, i + stretch);
        while (i < stretch_end) {
            log_pixel(position_ + i, pixels[i]);
            pixels[i] = table_.stored(pixels[i]);
            ++i;
            if (log_.buffered() >= log_limit) {
                position_ += i;
                return i;
            }
            i += map_unlogged_prefix_plain(table_.maps(), pixels + i, stretch_end - i);
        }
    }
    position_ += count;
    return count;
}

void PixelRescaler::log_pixel(std::size_t position, unsigned char v)
{
    column_text_.clear();
    append_integer_text(column_text_, static_cast<long long>(position % width_));
    row_text_.clear();
    append_integer_text(row_text_, static_cast<long long>(position / width_));
    const std::string &tail = table_.log_tail(v);
    // A pixel logged on both sides gets its position on each line.
    for (std::size_t start = 0; start < tail.size();) {
        const std::size_t end = tail.find('\n', start) + 1;
        log_.add(" Pixel/Row ");
        log_.add(column_text_);
        log_.add("/");
        log_.add(row_text_);
        log_.add(tail.data() + start, end - start - 2);
        log_.end_line();
        start = end;
    }
}

} // namespace brennix
