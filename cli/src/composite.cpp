// quorvex composite: one image from a stack of images of one grid, each
// pixel the largest, smallest or mean physical value of the valid pixels
// at its place (a maximum value composite of ten days of vegetation index,
// the mean rainfall of a month).
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/resource.h>

namespace cli {

namespace {

// Every file must code its pixels as the first does, so that the result
// can be coded so too.
void check_same_coding(const IdaFile &first, const IdaFile &f)
{
    if (f.image.slope != first.image.slope || f.image.intercept != first.image.intercept ||
        pixel_kinds(f.image) != pixel_kinds(first.image))
        throw InputError(f.path + ": its pixels are coded with another law or other codes than " +
                         first.path + "'s");
}

// The composite of a piece of the image, the files' pieces added one after
// the other: for each place the count and sum of the valid values and the
// byte of the best one.
class Composite {
public:
    Composite(const IdaFile &first, const std::string &statistic, std::size_t size)
        : mean_(statistic == "mean"), sign_(statistic == "min" ? -1.0 : 1.0), sum_(size),
          count_(size), best_(size)
    {
        const std::array<PixelKind, 256> kinds = pixel_kinds(first.image);
        for (int byte = 0; byte < 256; ++byte) {
            value_[byte] = first.physical(byte);
            valid_[byte] = kinds[byte] == PixelKind::valid;
            if (valid_[byte])
                by_value_.push_back(static_cast<unsigned char>(byte));
        }
        std::stable_sort(
            by_value_.begin(), by_value_.end(),
            [this](unsigned char a, unsigned char b) { return value_[a] < value_[b]; });
    }

    // The first file's piece starts the result: where no file has a valid
    // byte its missing or cloud code stays and says why.
    void start(const unsigned char *bytes, std::size_t size, unsigned char *result)
    {
        std::fill_n(sum_.begin(), size, 0.0);
        std::fill_n(count_.begin(), size, 0u);
        std::copy_n(bytes, size, result);
    }

    void add(const unsigned char *bytes, std::size_t size)
    {
        for (std::size_t at = 0; at < size; ++at) {
            const unsigned char byte = bytes[at];
            if (!valid_[byte])
                continue;
            sum_[at] += value_[byte];
            if (count_[at]++ == 0 || sign_ * value_[byte] > sign_ * value_[best_[at]])
                best_[at] = byte;
        }
    }

    void finish(std::size_t size, unsigned char *result) const
    {
        for (std::size_t at = 0; at < size; ++at)
            if (count_[at] > 0)
                result[at] = mean_ ? nearest(sum_[at] / count_[at]) : best_[at];
    }

private:
    // The valid byte whose value lies nearest; of two as near, the lower
    // value.
    unsigned char nearest(double value) const
    {
        const auto above =
            std::lower_bound(by_value_.begin(), by_value_.end(), value,
                             [this](unsigned char byte, double v) { return value_[byte] < v; });
        if (above == by_value_.end())
            return by_value_.back();
        if (above == by_value_.begin() || value_[*above] - value < value - value_[*(above - 1)])
            return *above;
        return *(above - 1);
    }

    const bool mean_;
    const double sign_;
    std::array<double, 256> value_{};
    std::array<bool, 256> valid_{};
    std::vector<unsigned char> by_value_;
    std::vector<double> sum_;
    std::vector<uint32_t> count_;
    std::vector<unsigned char> best_;
};

// A stack of a few hundred files is open at once; allow as many as the
// system lets this process open.
void allow_open_files()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

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

    Composite composite(files.front(), options.statistic, piece_size);
    std::vector<unsigned char> piece(piece_size), result(piece_size);
    replace_file(options.output, [&](std::FILE *stream) -> std::string {
        if (std::fwrite(files.front().header, 1, QUORVEX_HEADER_SIZE, stream) !=
            QUORVEX_HEADER_SIZE)
            return std::strerror(errno);
        for (uint64_t left = files.front().pixel_count(); left > 0;) {
            const std::size_t want =
                left < piece_size ? static_cast<std::size_t>(left) : piece_size;
            for (IdaFile &f : files) {
                read_exactly(f, piece.data(), want);
                if (&f == &files.front())
                    composite.start(piece.data(), want, result.data());
                composite.add(piece.data(), want);
            }
            composite.finish(want, result.data());
            if (std::fwrite(result.data(), 1, want, stream) != want)
                return std::strerror(errno);
            left -= want;
        }
        return "";
    });
    return 0;
}

} // namespace cli
