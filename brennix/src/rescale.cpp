// Output header derivation and the table-driven pixel pass.
#include "rescale.h"

#include "number_text.h"
#include "quorvex/quorvex.h"

#include <cmath>
#include <cstring>
#include <vector>

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
double one_decimal(double p) { return std::nearbyint(p * 10.0) / 10.0; }

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
    // Column texts are shared by every row, so they are made once.
    if (visits_) {
        column_text_.resize(width_);
        for (std::size_t c = 0; c < width_; ++c)
            append_integer_text(column_text_[c], static_cast<long long>(c));
    }
}

void PixelRescaler::next(const unsigned char *in, unsigned char *out, std::size_t count)
{
    if (!visits_) {
        std::memcpy(out, in, count);
        return;
    }
    // The common case, nothing to log, is a table look-up per pixel; the
    // positions of logged pixels are worked out only when there are some.
    if (map_bytes(table_.maps(), in, out, count))
        log_piece(in, count);
    position_ += count;
}

void PixelRescaler::log_piece(const unsigned char *in, std::size_t count)
{
    std::size_t row = position_ / width_;
    std::size_t column = position_ % width_;
    std::size_t row_of_text = static_cast<std::size_t>(-1);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char v = in[i];
        if (table_.logged(v)) {
            if (row_of_text != row) {
                row_text_.clear();
                append_integer_text(row_text_, static_cast<long long>(row));
                row_of_text = row;
            }
            const std::string &tail = table_.log_tail(v);
            // A pixel logged on both sides gets its position on each line.
            for (std::size_t start = 0; start < tail.size();) {
                const std::size_t end = tail.find('\n', start) + 1;
                log_.add(" Pixel/Row ");
                log_.add(column_text_[column]);
                log_.add("/");
                log_.add(row_text_);
                log_.add(tail.data() + start, end - start - 2);
                log_.end_line();
                start = end;
            }
        }
        if (++column == width_) {
            column = 0;
            ++row;
        }
    }
}

} // namespace brennix
