// quorvex composite: one image from a stack of images of one grid, each
// pixel the largest, smallest, mean or median physical value of the valid
// pixels at its place (a maximum value composite of ten days of vegetation
// index, the mean rainfall of a month, the median of twenty years of a
// dekad as its normal).
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cli {

int run_composite(Options &options)
{
    if (options.statistic.empty())
        throw UsageError("composite takes one of --max, --min, --mean and --median");
    if (options.output.empty())
        throw UsageError("composite needs -o OUT.ida");
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
    Statistic statistic(files.front(), options.statistic, places, files.size());
    std::vector<unsigned char> piece(places), result(places);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(files.front().header, 1, QUORVEX_HEADER_SIZE, stream) !=
            QUORVEX_HEADER_SIZE)
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
    return 0;
}

} // namespace cli
