// quorvex composite: one image from a stack of images of one grid, each
// pixel the largest, smallest, mean or median physical value of the valid
// pixels at its place (a maximum value composite of ten days of vegetation
// index, the mean rainfall of a month, the median of twenty years of a
// dekad as its normal), the number of valid pixels at each place (how
// many clear days a ten-day composite had to choose from), or the standard
// deviation of their values (to tell how far from the normal a departure
// is for the place), their trend over the years, or their sum (a season's
// rainfall from its dekads).
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace cli {

namespace {

// The smallest power of two not below n.
double power_of_two_from(double n)
{
    double power = 1;
    while (power < n)
        power *= 2;
    return power;
}

// Makes coded's header code the result's values in itself when they are
// not the images' values: a count, one a byte; a standard deviation, a
// trend or a sum under the law given, else under one that holds the values
// the images' bytes can give.
void put_own_coding(IdaFile &coded, const Options &options, const std::vector<IdaFile> &files)
{
    const std::string &statistic = options.statistic;
    const bool lawful = statistic == "stddev" || statistic == "trend" || statistic == "sum";
    if (!lawful && (!options.slope.empty() || !options.intercept.empty()))
        throw UsageError(
            "composite takes --slope and --intercept with --stddev, --trend and --sum");
    if (statistic == "count")
        put_coding(coded, 1, 0, options.tables);
    if (!lawful)
        return;
    // A standard deviation at half the images' step: the values of a place
    // are spread over at most the values the bytes hold, so that their
    // standard deviation is at most half that range, 127 of the images'
    // steps (254 of half a step) when the valid bytes are 0 to 254.  A
    // trend, a change per image about 0 at byte 128, at the images' step
    // over a power of two no smaller than the images less one: over the
    // stack, changes of more than 63 steps either way in steps of one or
    // less.  A sum from the images' lowest values, at their step times a
    // power of two no smaller than their number: every sum of values 0 to
    // 254 steps from the lowest.  Steps a power of two apart are held
    // exactly by the header's reals when the images' is, and so is
    // zero_byte of them.
    const IdaFile &first = files.front();
    const double step = std::fabs(first.image.slope), images = static_cast<double>(files.size());
    const double slope = !options.slope.empty()  ? law_number("--slope", options.slope, true)
                         : statistic == "stddev" ? step / 2
                         : statistic == "trend"  ? step / power_of_two_from(images - 1)
                                                 : step * power_of_two_from(images);
    const Coding coding(first.image);
    const double lowest = coding.by_value().empty() ? 0 : coding.value(coding.by_value().front());
    const double intercept = !options.intercept.empty()
                                 ? law_number("--intercept", options.intercept, false)
                             : statistic == "stddev" ? 0
                             : statistic == "trend"  ? -zero_byte * slope
                                                     : images * lowest;
    put_coding(coded, slope, intercept, options.tables);
    if (coded.image.slope == 0)
        throw InputError(first.path + ": its slope is 0, so the " +
                         (statistic == "stddev" ? "standard deviation's law (half of it)"
                                                : statistic + "'s law") +
                         " is flat");
}

} // namespace

int run_composite(Options &options)
{
    if (options.statistic.empty())
        throw UsageError(composite_statistics);
    if (options.output.empty())
        throw UsageError("composite needs -o OUT.ida");
    if (options.statistic == "trend" && options.files.size() < 2)
        throw UsageError("composite --trend needs two FILEs or more");
    refuse_input_as_output(options.output, options.files);

    allow_open_files();
    std::vector<IdaFile> files;
    for (const std::string &path : options.files) {
        files.push_back(open_described(path, options.tables));
        check_same_coding(files.front(), files.back());
    }
    require_agreement(options.files, options.tables);

    // The median keeps every file's bytes of a piece: smaller pieces for
    // long stacks hold that to 16 MiB, down to 4 KiB read at a time.
    const std::size_t places =
        options.statistic == "median"
            ? std::clamp((std::size_t(1) << 24) / files.size(), std::size_t(1) << 12, piece_size)
            : piece_size;
    // The first file's header, which a count, a standard deviation, a trend
    // and a sum code their values in.
    IdaFile coded;
    std::memcpy(coded.header, files.front().header, QUORVEX_HEADER_SIZE);
    put_own_coding(coded, options, files);
    Statistic statistic(files.front(), options.statistic, places, files.size(), &coded.image);
    std::vector<unsigned char> piece(places), result(places);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(coded.header, 1, QUORVEX_HEADER_SIZE, stream) != QUORVEX_HEADER_SIZE)
            return std::strerror(errno);
        for (uint64_t left = files.front().pixel_count(); left > 0;) {
            const std::size_t want = left < places ? static_cast<std::size_t>(left) : places;
            // The first file's piece starts the result: where no file has a
            // valid byte its missing or cloud code stays and says why.
            statistic.clear(want);
            for (IdaFile &f : files) {
                read_exactly(f, piece.data(), want);
                if (&f == &files.front())
                    std::copy_n(piece.data(), want, result.data());
                statistic.add(piece.data(), want);
            }
            statistic.finish(want, result.data());
            if (std::fwrite(result.data(), 1, want, stream) != want)
                return std::strerror(errno);
            left -= want;
        }
        return "";
    });
    if (statistic.beyond() > 0 && options.statistic != "count")
        say_beyond(options.output, statistic.beyond(),
                   options.statistic == "stddev" ? "standard deviation" : options.statistic,
                   statistic.result_coding());
    else if (statistic.beyond() > 0)
        std::fprintf(
            stderr, "quorvex: %s: %llu %s more valid pixels than its bytes hold (%d) and took %d\n",
            options.output.c_str(), static_cast<unsigned long long>(statistic.beyond()),
            statistic.beyond() == 1 ? "place has" : "places have", Statistic::most_counted,
            Statistic::most_counted);
    return 0;
}

} // namespace cli
