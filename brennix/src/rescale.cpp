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
        stored_[v] = static_cast<unsigned char>(v);
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
        stored_[v] = static_cast<unsigned char>(n);
    }
    for (int v = 0; v < 256; ++v)
        logged_[v] = !tail_[v].empty();
}

void rescale_pixels(unsigned char *pixels, int height, int width, const ByteTable &table,
                    LogFile &log)
{
    if (height <= 0 || width <= 0)
        return;
    // Column texts are shared by every row, so they are made once.
    std::vector<std::string> column_text(static_cast<std::size_t>(width));
    for (int c = 0; c < width; ++c)
        append_integer_text(column_text[static_cast<std::size_t>(c)], c);

    std::string head;
    for (int r = 0; r < height; ++r) {
        unsigned char *row = pixels + static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        for (int c = 0; c < width; ++c) {
            const unsigned char v = row[c];
            row[c] = table.stored(v);
            if (!table.logged(v))
                continue;
            const std::string &tail = table.log_tail(v);
            // A pixel logged on both sides gets the position on each line.
            std::size_t start = 0;
            while (start < tail.size()) {
                const std::size_t end = tail.find('\n', start) + 1;
                log.add(" Pixel/Row ");
                log.add(column_text[static_cast<std::size_t>(c)]);
                log.add("/");
                head.clear();
                append_integer_text(head, r);
                log.add(head);
                log.add(tail.data() + start, end - start - 2);
                log.end_line();
                start = end;
            }
        }
    }
}

} // namespace brennix
