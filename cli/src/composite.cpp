// quorvex composite: one image from a stack of images of one grid, each
// pixel the largest, smallest, mean or median physical value of the valid
// pixels at its place (a maximum value composite of ten days of vegetation
// index, the mean rainfall of a month, the median of twenty years of a
// dekad as its normal), the number of valid pixels at each place (how
// many clear days a ten-day composite had to choose from), or the standard
// deviation of their values (to tell how far from the normal a departure
// is for the place), or their trend over the years.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace cli {

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
    // The first file's header; a count is a number of pixels, coded in the
    // result's own header, one a byte.  A standard deviation is coded
    // there too, at half the images' step: the values of a place are
    // spread over at most the values the bytes hold, so that their
    // standard deviation is at most half that range, 127 of the images'
    // steps (254 of half a step) when the valid bytes are 0 to 254.  A
    // trend, a change per image about 0 at byte 128, at the images' step
    // over a power of two no smaller than the images less one: over the
    // stack, changes of more than 63 steps either way in steps of one or
    // less.  Steps a power of two apart are held exactly by the header's
    // reals when the images' is, and so is 128 of them.
    IdaFile coded;
    std::memcpy(coded.header, files.front().header, QUORVEX_HEADER_SIZE);
    const double step = std::fabs(files.front().image.slope);
    double per_image = 1;
    while (per_image < static_cast<double>(files.size() - 1))
        per_image *= 2;
    if (options.statistic == "count")
        put_coding(coded, 1, 0, options.tables);
    if (options.statistic == "stddev")
        put_coding(coded, step / 2, 0, options.tables);
    if (options.statistic == "trend")
        put_coding(coded, step / per_image, -128 * step / per_image, options.tables);
    if (coded.image.slope == 0 && (options.statistic == "stddev" || options.statistic == "trend"))
        throw InputError(files.front().path + ": its slope is 0, so the " +
                         (options.statistic == "trend" ? "trend's law"
                                                       : "standard deviation's law (half of it)") +
                         " is flat");
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
                   options.statistic == "trend" ? "trend" : "standard deviation",
                   Coding(coded.image));
    else if (statistic.beyond() > 0)
        std::fprintf(
            stderr, "quorvex: %s: %llu %s more valid pixels than its bytes hold (%d) and took %d\n",
            options.output.c_str(), static_cast<unsigned long long>(statistic.beyond()),
            statistic.beyond() == 1 ? "place has" : "places have", Statistic::most_counted,
            Statistic::most_counted);
    return 0;
}

} // namespace cli
