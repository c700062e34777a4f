// Opening an IDA file as outside bytes: every size the header gives is
// checked against the file before anything is read or allocated.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace cli {

namespace {

std::string system_reason()
{
    return std::strerror(errno);
}

} // namespace

double r48(const unsigned char *header, int at)
{
    return _RealPascalToDoubleC(header + at);
}

int int16_at(const unsigned char *header, int at)
{
    return static_cast<int16_t>(static_cast<uint16_t>(header[at] | header[at + 1] << 8));
}

std::string printable(const char *text, std::size_t size)
{
    std::string out(text, size);
    for (char &c : out)
        if (c < 0x20 || c > 0x7e)
            c = '?';
    return out;
}

std::string number(double value)
{
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

IdaFile open_ida(const std::string &path)
{
    IdaFile file;
    file.path = path;
    file.stream.reset(std::fopen(path.c_str(), "rb"));
    struct stat info;
    if (!file.stream || fstat(fileno(file.stream.get()), &info) != 0)
        throw InputError(path + ": " + system_reason());
    if (!S_ISREG(info.st_mode))
        throw InputError(path + ": not a regular file");
    const uint64_t length = static_cast<uint64_t>(info.st_size);
    if (length < QUORVEX_HEADER_SIZE ||
        std::fread(file.header, 1, QUORVEX_HEADER_SIZE, file.stream.get()) != QUORVEX_HEADER_SIZE)
        throw InputError(path + ": " + std::to_string(length) +
                         " bytes, shorter than the 512-byte header");
    file.rows = int16_at(file.header, rows_offset);
    file.columns = int16_at(file.header, columns_offset);
    if (file.rows < 0 || file.columns < 0)
        throw InputError(path + ": negative image size in the header (" +
                         std::to_string(file.columns) + " x " + std::to_string(file.rows) + ")");
    const uint64_t expected = QUORVEX_HEADER_SIZE + file.pixel_count();
    if (length != expected)
        throw InputError(path + ": " + std::to_string(length) + " bytes, but the header's " +
                         std::to_string(file.columns) + " x " + std::to_string(file.rows) +
                         " pixels need " + std::to_string(expected));
    return file;
}

int16_t check_files(const std::vector<std::string> &paths, const QuorvexTables &tables,
                    std::string *message)
{
    std::vector<char *> names;
    std::size_t longest = 0;
    for (const std::string &path : paths) {
        names.push_back(const_cast<char *>(path.c_str()));
        longest = std::max(longest, path.size());
    }
    // A message names at most two of the files.
    std::vector<char> text(2 * longest + 100, '\0');
    char *at = text.data();
    IMAGETYPE first = {};
    int16_t error = 0;
    _CheckInputImages(&first, tables.projections, tables.spheroids, tables.types.data(),
                      tables.type_count(), names.data(), static_cast<int16_t>(names.size()), &at,
                      &error);
    *message = text.data();
    return error;
}

double law_number(const std::string &option, const std::string &text, bool slope)
{
    // The magnitudes the header's reals hold.
    constexpr double smallest_real = 1e-10, largest_real = 1.7e38;
    double v = 0;
    if (!parse_numbers(text, &v, 1) || std::fabs(v) > largest_real ||
        (slope && std::fabs(v) < smallest_real))
        throw UsageError(option + " needs a number " +
                         (slope ? "other than 0, such as 0.004" : "such as -0.5"));
    return v;
}

void put_coding(IdaFile &file, double slope, double intercept, const QuorvexTables &tables)
{
    constexpr int lowest = 168, highest = 169, missing = 170, slope_at = 171, intercept_at = 177;
    unsigned char *const header = file.header;
    header[ida_type_offset] = QUORVEX_IDA_TYPE_IN_HEADER;
    header[lowest] = 0;
    header[highest] = coded_highest;
    header[missing] = coded_missing;
    _DoubleCtoRealPascal(header + slope_at, slope);
    _DoubleCtoRealPascal(header + intercept_at, intercept);
    describe(file, tables);
}

void say_beyond(const std::string &output, uint64_t count, const std::string &what,
                const Coding &coding)
{
    std::fprintf(stderr,
                 "quorvex: %s: %llu %s%s beyond the values its bytes hold (%s to %s) and took the "
                 "nearest of them\n",
                 output.c_str(), static_cast<unsigned long long>(count), what.c_str(),
                 count == 1 ? " lies" : "s lie",
                 number(coding.value(coding.by_value().front())).c_str(),
                 number(coding.value(coding.by_value().back())).c_str());
}

std::string placing_of(const IdaFile &f)
{
    std::string bytes;
    for (const auto &[at, size] : placing_bytes)
        bytes.append(reinterpret_cast<const char *>(f.header) + at, std::size_t(size));
    return bytes;
}

void require_agreement(const std::vector<std::string> &paths, const QuorvexTables &tables)
{
    std::string message;
    if (check_files(paths, tables, &message) != QUORVEX_SUCCESS) {
        // The library's message runs over lines; an error takes one.
        std::replace(message.begin(), message.end(), '\n', ' ');
        throw InputError(message);
    }
}

void describe(IdaFile &file, const QuorvexTables &tables)
{
    IMAGETYPE &it = file.image;
    it = IMAGETYPE{};
    it.header.par1 = it.header.par2 = QUORVEX_NO_VALUE;
    file.status = _IDAHeaderToIT(file.header, &it, tables.projections, tables.spheroids,
                                 tables.types.data(), tables.type_count(), 1);
    // The library's text for the refusal comes from its consistency check
    // of the file on its own, which describes it the same way.
    if (file.status != QUORVEX_SUCCESS)
        check_files({file.path}, tables, &file.message);
}

IdaFile open_described(const std::string &path, const QuorvexTables &tables)
{
    IdaFile file = open_ida(path);
    describe(file, tables);
    if (file.status != QUORVEX_SUCCESS)
        throw InputError(refusal(file));
    return file;
}

std::string refusal(const IdaFile &file)
{
    if (file.status == QUORVEX_NERR_PROJECTION_UNKNOWN)
        return file.path + ": projection code " + std::to_string(file.header[projection_offset]) +
               " is not accepted by the library";
    return file.path + ": IDA type " + std::to_string(file.header[ida_type_offset]) +
           " is not in the tables";
}

void check_same_coding(const IdaFile &first, const IdaFile &f)
{
    if (f.image.slope != first.image.slope || f.image.intercept != first.image.intercept ||
        pixel_kinds(f.image) != pixel_kinds(first.image))
        throw InputError(f.path + ": its pixels are coded with another law or other codes than " +
                         first.path + "'s");
}

void allow_open_files()
{
    struct rlimit limit;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void read_exactly(IdaFile &file, unsigned char *bytes, std::size_t size)
{
    if (std::fread(bytes, 1, size, file.stream.get()) != size)
        throw InputError(file.path + ": read failed (" +
                         (std::ferror(file.stream.get()) ? system_reason() : "file shortened") +
                         ")");
}

void read_at(IdaFile &file, int column, int line, unsigned char *bytes, std::size_t size)
{
    const uint64_t at =
        QUORVEX_HEADER_SIZE + uint64_t(line) * uint64_t(file.columns) + uint64_t(column);
    if (fseeko(file.stream.get(), static_cast<off_t>(at), SEEK_SET) != 0)
        throw InputError(file.path + ": read failed (" + system_reason() + ")");
    read_exactly(file, bytes, size);
}

void read_pixels(IdaFile &file, const std::function<void(const unsigned char *, std::size_t)> &take)
{
    std::vector<unsigned char> piece(piece_size);
    for (uint64_t left = file.pixel_count(); left > 0;) {
        const std::size_t want = left < piece_size ? static_cast<std::size_t>(left) : piece_size;
        read_exactly(file, piece.data(), want);
        take(piece.data(), want);
        left -= want;
    }
}

bool beyond_the_map(const IMAGETYPE &image, double longitude)
{
    return image.header.projection == QUORVEX_PROJECTION_HAMMER_AITOFF &&
           std::fabs(longitude - image.header.lon_center) > 180.0;
}

bool pixel_position(const IMAGETYPE &image, int column, int line, double *longitude,
                    double *latitude)
{
    // The engine converts whole lines from pixel 0, so the image is shifted
    // to put the pixel there; the result must project back onto the pixel,
    // which rejects what an inverse marks, leaves unconverted or gets wrong.
    IMAGETYPE shifted = image;
    shifted.x_center -= column;
    _InitProjection(&shifted, 0);
    double point[3] = {0.0, 0.0, QUORVEX_NO_VALUE};
    _ImageToLonLat(&shifted, static_cast<uint16_t>(line), point, 1, 0);
    *longitude = point[0];
    *latitude = point[1];
    if (!std::isfinite(*longitude) || !(std::fabs(*latitude) <= 90.0) ||
        beyond_the_map(image, *longitude))
        return false;
    _LonLatToImage(&shifted, point, 0, 0);
    return std::fabs(point[0]) <= round_trip_pixels &&
           std::fabs(point[1] - line) <= round_trip_pixels;
}

} // namespace cli
