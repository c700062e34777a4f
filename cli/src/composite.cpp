// quorvex composite: one image from a stack of images of one grid, each
// pixel the largest, smallest or mean physical value of the valid pixels
// at its place (a maximum value composite of ten days of vegetation index,
// the mean rainfall of a month).
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace cli {

int run_composite(Options &options)
{
    if (options.statistic.empty())
        throw UsageError("composite takes one of --max, --min and --mean");
    if (options.output.empty())
        throw UsageError("composite needs -o OUT.ida");
    refuse_input_as_output(options.output, options.files);

    allow_open_files();
    std::vector<IdaFile> files;
    for (const std::string &path : options.files) {
        files.push_back(open_described(path, options.tables));
        check_same_coding(files.front(), files.back());
    }
    std::string message;
    if (check_files(options.files, options.tables, &message) != QUORVEX_SUCCESS) {
        std::replace(message.begin(), message.end(), '\n', ' ');
        throw InputError(message);
    }

    Statistic statistic(files.front(), options.statistic, piece_size);
    std::vector<unsigned char> piece(piece_size), result(piece_size);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(files.front().header, 1, QUORVEX_HEADER_SIZE, stream) !=
            QUORVEX_HEADER_SIZE)
            return std::strerror(errno);
        for (uint64_t left = files.front().pixel_count(); left > 0;) {
            const std::size_t want =
                left < piece_size ? static_cast<std::size_t>(left) : piece_size;
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
