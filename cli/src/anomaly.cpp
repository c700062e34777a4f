// quorvex anomaly: an image's departure from its normal at each place (this
// dekad's vegetation index against the mean of the years, a month's rain
// as a percentage of the long-term median), as an IDA image that codes
// the departures in its own header.
#include "cli.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

// The byte of a departure of 0 under the default law: 128 times a slope
// the header holds is held exactly too, so the byte's value is 0 exactly.
constexpr int zero_byte = 128;
// The magnitudes the header's reals hold.
constexpr double smallest_real = 1e-10, largest_real = 1.7e38;

// The number of a --slope or --intercept, or UsageError.
double law_number(const std::string &option, const std::string &text, bool slope)
{
    double v = 0;
    if (!parse_numbers(text, &v, 1) || std::fabs(v) > largest_real ||
        (slope && std::fabs(v) < smallest_real))
        throw UsageError(option + " needs a number " +
                         (slope ? "other than 0, such as 0.004" : "such as -0.5"));
    return v;
}

} // namespace

int run_anomaly(Options &options)
{
    if (options.files.size() != 1 || options.normal.empty() || options.output.empty())
        throw UsageError("anomaly takes one FILE, --normal NORMAL.ida and -o OUT.ida");
    refuse_input_as_output(options.output, {options.files[0], options.normal});
    IdaFile f = open_described(options.files[0], options.tables);
    IdaFile normal = open_described(options.normal, options.tables);
    // The library's check compares the IDA types first: a normal of
    // another type (one another program wrote, coded in its header) is
    // taken when its grid is FILE's to the byte.
    if (normal.header[ida_type_offset] == f.header[ida_type_offset] ||
        placing_of(normal) != placing_of(f))
        require_agreement({f.path, normal.path}, options.tables);

    // A default intercept of 128 slopes: a power of two times the slope,
    // which the header's reals hold as exactly as the slope, so that byte
    // 128 stands for 0 exactly.
    const double slope = options.slope.empty() ? (options.percent ? 1 : std::fabs(f.image.slope))
                                               : law_number("--slope", options.slope, true);
    const double intercept = options.intercept.empty()
                                 ? (options.percent ? 0 : -zero_byte * slope)
                                 : law_number("--intercept", options.intercept, false);
    IdaFile result;
    std::memcpy(result.header, f.header, QUORVEX_HEADER_SIZE);
    put_coding(result.header, slope, intercept);
    // The law as the header holds it: its reals are truncated.
    describe(result, options.tables);
    if (result.image.slope == 0)
        throw InputError(f.path + ": its slope is 0, so the result's law needs --slope");
    const Coding in(f.image), of_normal(normal.image), out(result.image);

    // The result's byte of each pair of bytes, and whether the departure
    // lay more than half a step beyond the bytes' range.
    std::vector<unsigned char> byte_of(256 * 256, coded_missing);
    std::vector<bool> beyond(256 * 256);
    for (int a = 0; a < 256; ++a)
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(a), of = static_cast<unsigned char>(b);
            const double v = in.value(byte), n = of_normal.value(of);
            if (!in.valid(byte) || !of_normal.valid(of) || (options.percent && n == 0))
                continue;
            const double departure = options.percent ? 100 * v / n : v - n;
            const std::size_t pair = std::size_t(a) * 256 + std::size_t(b);
            byte_of[pair] = out.nearest(departure);
            beyond[pair] =
                std::fabs(out.value(byte_of[pair]) - departure) > std::fabs(result.image.slope) / 2;
        }

    uint64_t clipped = 0;
    std::vector<unsigned char> piece(piece_size), of_normal_piece(piece_size);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(result.header, 1, QUORVEX_HEADER_SIZE, stream) != QUORVEX_HEADER_SIZE)
            return std::strerror(errno);
        for (uint64_t left = f.pixel_count(); left > 0;) {
            const std::size_t want =
                left < piece_size ? static_cast<std::size_t>(left) : piece_size;
            read_exactly(f, piece.data(), want);
            read_exactly(normal, of_normal_piece.data(), want);
            for (std::size_t k = 0; k < want; ++k) {
                const std::size_t pair = std::size_t(piece[k]) * 256 + of_normal_piece[k];
                piece[k] = byte_of[pair];
                clipped += beyond[pair];
            }
            if (std::fwrite(piece.data(), 1, want, stream) != want)
                return std::strerror(errno);
            left -= want;
        }
        return "";
    });
    if (clipped > 0)
        std::fprintf(stderr,
                     "quorvex: %s: %llu %s beyond the values its bytes hold (%s to %s) and "
                     "took the nearest of them\n",
                     options.output.c_str(), static_cast<unsigned long long>(clipped),
                     clipped == 1 ? "departure lies" : "departures lie",
                     number(out.value(out.by_value().front())).c_str(),
                     number(out.value(out.by_value().back())).c_str());
    return 0;
}

} // namespace cli
