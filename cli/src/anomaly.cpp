// quorvex anomaly: an image's departure from its normal at each place (this
// dekad's vegetation index against the mean of the years, a month's rain
// as a percentage of the long-term median, or in standard deviations of
// the years), or where its value lies between the years' lowest and
// highest (a vegetation condition index), as an IDA image that codes the
// result in its own header.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

// The library's check of other against f, which compares the IDA types
// first: another's of another type (one another program wrote, coded in
// its header) is taken when its grid is f's to the byte.
void require_grid(const IdaFile &f, const IdaFile &other, const QuorvexTables &tables)
{
    if (other.header[ida_type_offset] == f.header[ida_type_offset] ||
        placing_of(other) != placing_of(f))
        require_agreement({f.path, other.path}, tables);
}

} // namespace

int run_anomaly(Options &options)
{
    // A condition takes the years' lowest and highest values in place of
    // a normal: where FILE's value lies between them, in percent.
    const bool condition = !options.lowest.empty() || !options.highest.empty();
    if (options.files.size() != 1 || options.output.empty() ||
        (condition ? options.lowest.empty() || options.highest.empty() || !options.normal.empty()
                   : options.normal.empty()))
        throw UsageError("anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or "
                         "--lowest MIN.ida and --highest MAX.ida");
    if (options.percent + !options.stddev.empty() + condition > 1)
        throw UsageError("anomaly takes one of --percent, --stddev and --lowest with --highest");
    // The image each departure is taken from, and the one it is divided by
    // (the standard deviations, or the highest values less the lowest).
    const std::string &from = condition ? options.lowest : options.normal;
    const std::string &by = condition ? options.highest : options.stddev;
    refuse_input_as_output(options.output, {options.files[0], from, by});
    IdaFile f = open_described(options.files[0], options.tables);
    IdaFile normal = open_described(from, options.tables);
    require_grid(f, normal, options.tables);
    const bool divided = !by.empty();
    IdaFile divisor_file;
    if (divided) {
        divisor_file = open_described(by, options.tables);
        require_grid(f, divisor_file, options.tables);
    }

    // A default intercept of 128 slopes: a power of two times the slope,
    // which the header's reals hold as exactly as the slope, so that byte
    // 128 stands for 0 exactly.  In standard deviations, -4 to 3.97; a
    // percentage or a condition 0 to 254 percent.
    const bool in_percent = options.percent || condition;
    const double slope = !options.slope.empty() ? law_number("--slope", options.slope, true)
                         : in_percent           ? 1
                         : divided              ? 1.0 / 32
                                                : std::fabs(f.image.slope);
    const double intercept = options.intercept.empty()
                                 ? (in_percent ? 0 : -zero_byte * slope)
                                 : law_number("--intercept", options.intercept, false);
    IdaFile result;
    std::memcpy(result.header, f.header, QUORVEX_HEADER_SIZE);
    put_coding(result, slope, intercept, options.tables);
    if (result.image.slope == 0)
        throw InputError(f.path + ": its slope is 0, so the result's law needs --slope");
    const Coding in(f.image), of_normal(normal.image), out(result.image);

    // The departure of each pair of bytes, NaN where there is none.
    std::vector<double> departure(256 * 256, std::nan(""));
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(a), of = static_cast<unsigned char>(b);
            const double v = in.value(byte), n = of_normal.value(of);
            if (in.valid(byte) && of_normal.valid(of) && !(options.percent && n == 0))
                departure[std::size_t(a) * 256 + std::size_t(b)] = options.percent ? 100 * v / n
                                                                   : condition     ? 100 * (v - n)
                                                                                   : v - n;
        }
    // Without a divisor, the result's byte of each pair and whether its
    // departure lay beyond the bytes' values, worked out once.
    std::vector<unsigned char> byte_of(divided ? 0 : 256 * 256, coded_missing);
    std::vector<bool> beyond(byte_of.size());
    for (std::size_t pair = 0; pair < byte_of.size(); ++pair)
        if (!std::isnan(departure[pair])) {
            byte_of[pair] = out.nearest(departure[pair]);
            beyond[pair] = out.beyond(byte_of[pair], departure[pair]);
        }
    // The divisor of each byte of the divisor image, NaN where it is none
    // or not above 0; for a condition, of each pair of the normal's byte
    // and that one (row bytes apart), for a standard deviation of that one
    // alone (row 0), which keeps the table in the fastest cache.
    const std::size_t row = condition ? 256 : 0;
    std::vector<double> divisor(divided ? 256 * std::max<std::size_t>(row, 1) : 0, std::nan(""));
    if (divided) {
        const Coding of_by(divisor_file.image);
        for (std::size_t at = 0; at < divisor.size(); ++at) {
            const auto of = static_cast<unsigned char>(at / 256),
                       byte = static_cast<unsigned char>(at % 256);
            if (!of_by.valid(byte) || (condition && !of_normal.valid(of)))
                continue;
            const double d =
                condition ? of_by.value(byte) - of_normal.value(of) : of_by.value(byte);
            if (d > 0)
                divisor[at] = d;
        }
    }

    uint64_t clipped = 0;
    std::vector<unsigned char> piece(piece_size), of_normal_piece(piece_size),
        by_piece(divided ? piece_size : 0);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(result.header, 1, QUORVEX_HEADER_SIZE, stream) != QUORVEX_HEADER_SIZE)
            return std::strerror(errno);
        for (uint64_t left = f.pixel_count(); left > 0;) {
            const std::size_t want =
                left < piece_size ? static_cast<std::size_t>(left) : piece_size;
            read_exactly(f, piece.data(), want);
            read_exactly(normal, of_normal_piece.data(), want);
            if (divided)
                read_exactly(divisor_file, by_piece.data(), want);
            for (std::size_t k = 0; k < want; ++k) {
                const std::size_t pair = std::size_t(piece[k]) * 256 + of_normal_piece[k];
                if (!divided) {
                    piece[k] = byte_of[pair];
                    clipped += beyond[pair];
                    continue;
                }
                const double z = departure[pair] / divisor[of_normal_piece[k] * row + by_piece[k]];
                if (std::isnan(z)) {
                    piece[k] = coded_missing;
                    continue;
                }
                piece[k] = out.nearest(z);
                clipped += out.beyond(piece[k], z);
            }
            if (std::fwrite(piece.data(), 1, want, stream) != want)
                return std::strerror(errno);
            left -= want;
        }
        return "";
    });
    if (clipped > 0)
        say_beyond(options.output, clipped, "departure", out);
    return 0;
}

} // namespace cli
