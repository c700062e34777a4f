// Pieces shared by the subcommands of the quorvex program: errors, IDA
// files opened and described through the library, and the subcommands.
#ifndef QUORVEX_CLI_H
#define QUORVEX_CLI_H

#include "pixel_kinds.h"
#include "quorvex_tables.h"

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace cli {

// Bad input: the program ends with status 1 and this text on stderr.
struct InputError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// A command line that cannot be run: status 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Header bytes the program reads itself: the codes of the IDA type and
// the projection.
constexpr int ida_type_offset = 22;
constexpr int projection_offset = 23;
// The image's size: lines, then columns, 16 bits each.
constexpr int rows_offset = 30;
constexpr int columns_offset = 32;
// The header bytes that place an image's pixels: the projection code, the
// size, and the centre, reference pixel, scale and parallels.
constexpr std::pair<int, int> placing_bytes[] = {{projection_offset, 1}, {30, 4}, {120, 48}};

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

// An IDA file whose header was read and whose length matches the pixel
// count the header gives; the stream stands at the first pixel.
struct IdaFile {
    std::string path;
    std::unique_ptr<std::FILE, FileCloser> stream;
    unsigned char header[QUORVEX_HEADER_SIZE] = {};
    int rows = 0;
    int columns = 0;
    IMAGETYPE image = {};
    // _IDAHeaderToIT's status (QUORVEX_SUCCESS, or the outside number of a
    // projection or IDA type it does not know) and, when it refuses the
    // file, the library's message for it.
    int16_t status = 0;
    std::string message;

    uint64_t pixel_count() const { return uint64_t(rows) * uint64_t(columns); }
    // physical = slope * byte + intercept, valid once status is QUORVEX_SUCCESS.
    double physical(int byte) const { return image.slope * byte + image.intercept; }
};

// Opens and checks the file; InputError names the file and the reason.
IdaFile open_ida(const std::string &path);
// Describes the image with the library, filling status and message.
void describe(IdaFile &file, const QuorvexTables &tables);
// Opens and describes the file; InputError names it and the library's
// refusal when the library does not accept it.
IdaFile open_described(const std::string &path, const QuorvexTables &tables);
// The library's consistency check of the files against the first: its
// status (QUORVEX_SUCCESS when they agree) and its message.
int16_t check_files(const std::vector<std::string> &paths, const QuorvexTables &tables,
                    std::string *message);
// The header bytes that place f's pixels (placing_bytes), one after another.
std::string placing_of(const IdaFile &f);
// Makes file's header code its pixels in itself (IDA type 200): bytes 0
// to coded_highest the values slope x byte + intercept, coded_missing
// missing; then describes it, with the law as the header holds it (its
// reals are truncated: a slope below what they hold becomes 0).
void put_coding(IdaFile &file, double slope, double intercept, const QuorvexTables &tables);
constexpr unsigned char coded_highest = 254, coded_missing = 255;
// The byte of 0 under a self-coded law about 0 (a departure, a trend):
// 128 times a slope the header holds is held exactly too, so the byte's
// value is 0 exactly.
constexpr int zero_byte = 128;
// The number of a --slope or --intercept (option) of a result's law, or
// UsageError.
double law_number(const std::string &option, const std::string &text, bool slope);
// InputError with the check's message unless the files agree.
void require_agreement(const std::vector<std::string> &paths, const QuorvexTables &tables);
// One line naming the file and why the library refused it.
std::string refusal(const IdaFile &file);
// InputError unless f codes its pixels as first does (the law and the
// kind of every byte), so that one result can code the pixels of both.
void check_same_coding(const IdaFile &first, const IdaFile &f);
// A stack of a few hundred files is open at once: allows as many as the
// system lets this process open.
void allow_open_files();
// Into report, "pixels": the count of the bytes of histogram by kind
// under f's description, and "statistics": the minimum, maximum, mean,
// median and standard deviation of the physical values of the valid ones,
// null where none is.
void add_pixel_report(const IdaFile &f, const std::array<uint64_t, 256> &histogram,
                      nlohmann::ordered_json &report);
// A report as one line of JSON, bytes that are not UTF-8 replaced.
std::string json_line(const nlohmann::ordered_json &report);
// Runs report on each of files in turn; an InputError it throws goes to
// standard error with its reason, after what standard output already has,
// and the files after it are still reported.  1 when any failed, else 0.
int report_each(const std::vector<std::string> &files,
                const std::function<void(const std::string &)> &report);
// The usage error of a composite without one statistic.
constexpr char composite_statistics[] =
    "composite takes one of --max, --min, --mean, --median, --count, --stddev, --trend and --sum";
// Pixel bytes read at a time from a file.
constexpr std::size_t piece_size = 1 << 16;

// How an image codes values in its bytes: each byte's physical value and
// whether it is valid, and the valid byte that codes a value best.
class Coding {
public:
    explicit Coding(const IMAGETYPE &image);
    double value(unsigned char byte) const { return value_[byte]; }
    bool valid(unsigned char byte) const { return valid_[byte]; }
    // The valid bytes in rising order of value.
    const std::vector<unsigned char> &by_value() const { return by_value_; }
    // The valid byte whose value lies nearest; of two as near, the lower
    // value.  The coding must have a valid byte.
    unsigned char nearest(double value) const;
    // Whether value lies more than half a step of the law from byte's: for
    // the byte nearest to it, beyond the values the bytes hold.
    bool beyond(unsigned char byte, double value) const
    {
        return std::fabs(value_[byte] - value) > half_step_;
    }

private:
    double half_step_;
    // The mean step between the valid bytes' values in rising order; 0
    // when they are one value.
    double spacing_ = 0;
    std::array<double, 256> value_{};
    std::array<bool, 256> valid_{};
    std::vector<unsigned char> by_value_;
};

// Says on standard error that count values, each a what ("departure"),
// lay beyond the values the bytes of output's coding hold and took the
// nearest of them.
void say_beyond(const std::string &output, uint64_t count, const std::string &what,
                const Coding &coding);

// The largest, smallest, mean or median physical value ("max", "min",
// "mean" or "median") of the valid bytes added at each of a number of
// places, coded back as the image codes its pixels: the best byte; for the
// mean, and the median of an even count (the mean of the middle two), the
// valid byte of the nearest value, of two as near the lower.  Or ("count")
// the number of valid bytes added at each place, as the byte of that
// number up to most_counted.  Or ("stddev") the standard deviation of
// their values (the deviation divided by the count), or ("trend") the
// slope of the least-squares line through them against the image each
// came from (0, 1, 2... as they were added), or ("sum") their sum where
// each of the layers added a valid byte, coded as the result codes it.
class Statistic {
public:
    // No byte added at any of the places yet.  The median keeps the bytes
    // themselves: at most layers of them a place, or without layers as
    // many as make_room left room for.  result: the result's own coding,
    // the standard deviation's, the trend's or the sum's.
    Statistic(const IdaFile &coding, const std::string &name, std::size_t places,
              std::size_t layers = 0, const IMAGETYPE *result = nullptr);
    // The first size places back to no byte added, the next bytes those
    // of image 0.
    void clear(std::size_t size);
    // A median whose places keep any number of bytes (a grid pixel of warp
    // takes every source pixel falling in it): each byte is counted at its
    // place first, then room made for those counted, then each added.
    void count(std::size_t at, unsigned char byte) { count_[at] += coding_.valid(byte); }
    void make_room();
    void add(std::size_t at, unsigned char byte)
    {
        if (!coding_.valid(byte))
            return;
        if (median_) {
            kept_[first_kept(at) + count_[at]++] = rank_[byte];
            return;
        }
        const double value = coding_.value(byte) - centre_;
        sum_[at] += value;
        if (deviating_)
            squares_[at] += value * value;
        if (trending_)
            line_[at] += {image_, image_ * image_, image_ * value};
        if (count_[at]++ == 0 || sign_ * coding_.value(byte) > sign_ * coding_.value(best_[at]))
            best_[at] = byte;
    }
    // bytes[at] at each place at from 0 to size - 1, the bytes of the
    // next image.
    void add(const unsigned char *bytes, std::size_t size)
    {
        for (std::size_t at = 0; at < size; ++at)
            add(at, bytes[at]);
        ++image_;
    }
    // The byte of each of the first size places that a valid byte was added
    // at into result; the others keep theirs (a count's are 0, a standard
    // deviation's, a trend's and a sum's coded_missing, a trend's too
    // where one valid byte was and a sum's where fewer than layers were).
    void finish(std::size_t size, unsigned char *result);
    // The places whose count went beyond most_counted, or whose standard
    // deviation, trend or sum lay more than half a step beyond the
    // result's values, over every finish.
    uint64_t beyond() const { return beyond_; }
    // The result's own coding (a standard deviation's, a trend's or a
    // sum's).
    const Coding &result_coding() const { return *result_; }
    static constexpr unsigned char most_counted = coded_highest;

private:
    unsigned char median(std::size_t at);
    // The standard deviation and the trend of the values added at a place.
    double deviation(std::size_t at) const;
    double trend(std::size_t at) const;
    std::size_t first_kept(std::size_t at) const
    {
        return first_.empty() ? at * layers_ : first_[at];
    }

    // A trend's sums at a place, of the images' numbers, their squares and
    // their products with the values.
    struct Line {
        double x = 0, xx = 0, xy = 0;
        void operator+=(const Line &more) { x += more.x, xx += more.xx, xy += more.xy; }
    };

    const bool mean_, median_, counting_, deviating_, trending_, summing_;
    const double sign_;
    const std::size_t layers_;
    const Coding coding_;
    // The standard deviation's and the trend's: the values are summed less
    // a value amid theirs (sums of squares and products about 0 would lose
    // the deviations of values far from 0), and coded as the result codes
    // them.
    double centre_ = 0;
    std::optional<Coding> result_;
    std::vector<double> squares_;
    std::vector<Line> line_;
    // The number of the image whose bytes are being added.
    double image_ = 0;
    // Each valid byte's place in the coding's bytes by value.
    std::array<unsigned char, 256> rank_{};
    std::vector<double> sum_;
    std::vector<std::size_t> count_;
    std::vector<unsigned char> best_;
    // The median's: the ranks of the bytes added at each place, layers_ a
    // place or from first_[at] on.
    std::vector<unsigned char> kept_;
    std::vector<std::size_t> first_;
    uint64_t beyond_ = 0;
};

// Reads the next size pixel bytes, or InputError.
void read_exactly(IdaFile &file, unsigned char *bytes, std::size_t size);
// Reads size pixel bytes from the pixel at column, line on, or InputError.
void read_at(IdaFile &file, int column, int line, unsigned char *bytes, std::size_t size);
// Reads every pixel through the callback, a piece at a time.
void read_pixels(IdaFile &file,
                 const std::function<void(const unsigned char *, std::size_t)> &take);

// A place is kept only when the forward projection takes it back to
// within this many pixels of the pixel it came from.
constexpr double round_trip_pixels = 0.5;

// Whether a place that the image's inverse gives lies beyond its map:
// Hammer-Aitoff's inverse gives a pixel beyond the map's ellipse the place
// the map would show there if it went on, more than 180 degrees from its
// centre, a place the map shows elsewhere already.
bool beyond_the_map(const IMAGETYPE &image, double longitude);
// The longitude/latitude of the centre of a pixel (column and line from 0
// at the upper left) of a described image, through the engine; false where
// the projection gives none, one beyond the map or one that does not lead
// back to the pixel.
bool pixel_position(const IMAGETYPE &image, int column, int line, double *longitude,
                    double *latitude);

// The pixels of an image's lines that have a place, and their places,
// through the library's inverse on the block the image was prepared in.
class LinePlaces {
public:
    // Line y of f: the pixels with a place within 180 degrees of the map's
    // centre; a pixel the inverse stopped at or marked gets one only when
    // its place, converted on its own, leads back to it.
    void find(const IdaFile &f, int16_t block, int y);
    // The columns of the pixels found, and their longitude/latitude pairs
    // ended by the end marker, as _LonLatToImage takes a list.
    std::vector<int> taken;
    std::vector<double> places;

private:
    int places_of_line(const IdaFile &f, int16_t block, int y);
    std::vector<double> lonlat_, back_, given_;
};
// A box or an area: whether a place in degrees lies in it, and the
// latitudes it spans, so that a line of pixels whose places lie beyond
// them is not tested.
struct Shape {
    std::function<bool(double longitude, double latitude)> holds;
    double south, north;
};
// A box of longitudes and latitudes in degrees; a west east of the east
// crosses the 180th meridian.
struct Box {
    double west, south, east, north;
    // Whether a place lies in the box, edges included.
    bool holds(double longitude, double latitude) const;
    Shape shape() const;
};
// The box of a --box WEST,SOUTH,EAST,NORTH, or UsageError.
Box parse_box(const std::string &text);
// Whether longitude and latitude can be degrees as the program takes a
// place: a latitude on the globe, a longitude up to 360 degrees beyond the
// map on either side (the same place, looked for there too).  Metres of a
// projected coordinate system are not.
inline bool in_degrees(double longitude, double latitude)
{
    return std::fabs(longitude) <= 540 && std::fabs(latitude) <= 90;
}
// The pixels of an image whose centres' places lie in each of some shapes,
// a line at a time, through the image's inverse in block 0: the places of
// a line are found once for all the shapes.
class ShapeSearch {
public:
    // InputError for an image without projection, which has no pixel in
    // what ("a box").
    ShapeSearch(const IdaFile &f, std::vector<Shape> shapes, const std::string &what);
    // For each shape, the columns of line y in it, from left to right.
    const std::vector<std::vector<int>> &columns(int y);

private:
    const IdaFile &f_;
    const std::vector<Shape> shapes_;
    LinePlaces line_;
    std::vector<std::vector<int>> columns_;
};

// An area of longitudes and latitudes: rings of a polygon or of several,
// a place being in it when a line from it crosses their edges an odd
// number of times.
class Area {
public:
    Area(std::string area_name, std::vector<std::vector<std::array<double, 2>>> rings);
    bool holds(double longitude, double latitude) const;
    // The area as a shape to search, as long as the area lives.
    Shape shape() const;
    const std::string name;

private:
    bool inside(double longitude, double latitude) const;
    std::size_t band_of(double latitude) const;

    struct Edge {
        double x0, y0, x1, y1;
    };
    // Its bounds: none (west of east, south of north) until it has a vertex.
    double west_ = HUGE_VAL, south_ = HUGE_VAL, east_ = -HUGE_VAL, north_ = -HUGE_VAL;
    double band_height_ = 1;
    // The edges by bands of latitude, each edge in every band it spans.
    std::vector<std::vector<Edge>> bands_;
};
// The areas of a GeoJSON file (a FeatureCollection, a Feature, a Polygon
// or a MultiPolygon), each named by its "name" property, else its id, else
// its number from 1; InputError naming the file and why it is none.
std::vector<Area> read_areas(const std::string &path);
// The same of a stream, the file's name for the messages.
std::vector<Area> read_areas(std::istream &in, const std::string &path);

// Converts the longitude/latitude pairs of points (ended by the end marker)
// into image coordinates of image through block, in place; a point the
// engine stops at gets the end marker as its column, off every image, and
// the points after it are converted without it.  given is scratch space.
void to_image(const IMAGETYPE &image, int16_t block, std::vector<double> &points,
              std::vector<double> &given);

// A pixel that no place, or no pixel of another image, falls on.
constexpr uint32_t nowhere = UINT32_MAX;
// The index from f's first pixel of the pixel whose centre lies nearest to
// image coordinates column, line (a half going to the upper left), or
// nowhere beyond f, infinite or not a number.
uint32_t pixel_index(const IdaFile &f, double column, double line);

// The pixels of an image under places, through its forward.  A longitude
// 360 degrees off is the same place: an image that shows a place and the
// place 360 degrees east at different pixels (a map of longitudes and
// latitudes, whose own longitudes may run from 0 to 360, or beyond 180 east
// of a centre in the Pacific) is looked at 360 degrees west, then east, for
// a place it does not show.
class PixelsUnder {
public:
    // Prepares f's projection in block, as it must be again at each find.
    PixelsUnder(const IdaFile &f, int16_t block);
    // For each longitude/latitude of places (ended by the end marker), its
    // pixel of f, or nowhere.
    const std::vector<uint32_t> &find(const std::vector<double> &places);

private:
    // The pixel of a place at longitude whose image coordinates are at,
    // or nowhere.
    uint32_t pixel_of(double longitude, const double *at) const;
    // Whether place k of the last find, turn degrees east, may fall on a
    // pixel, as the image coordinates seen_ of the place itself tell.
    bool may_show(std::size_t k, double turn) const;

    const IdaFile *f_;
    int16_t block_;
    bool turns_;
    std::vector<double> points_, given_, seen_;
    std::vector<uint32_t> under_;
    std::vector<std::size_t> missed_;
};

// Memory shared with the processes forked after it is made.
class SharedBytes {
public:
    explicit SharedBytes(std::size_t size);
    ~SharedBytes();
    SharedBytes(const SharedBytes &) = delete;
    SharedBytes &operator=(const SharedBytes &) = delete;
    unsigned char *data() const { return bytes_; }

private:
    std::size_t size_;
    unsigned char *bytes_ = nullptr;
};
// Lines first to last - 1, each made by make, which writes into shared
// memory: the engine keeps its state per process, so the lines are shared
// out between processes, one a processor.  InputError with the first
// reason a line could not be made.
void make_all(int first, int last, const std::function<void(int)> &make);

// Writes a result file through write, which returns the reason it failed
// (empty when it did not), beside its final name and renames it into
// place, so that the file is either whole or as it was; InputError names
// the file and the reason.
void replace_file(const std::string &path, const std::function<std::string(std::FILE *)> &write);
// Whether both names lead to one existing file.
bool same_file(const std::string &a, const std::string &b);
// UsageError when output names one of the inputs (empty names are none).
void refuse_input_as_output(const std::string &output, const std::vector<std::string> &inputs);

// Header bytes as the report names them.
double r48(const unsigned char *header, int at);
int int16_at(const unsigned char *header, int at);
// Printable ASCII as it is; any other byte as "?".
std::string printable(const char *text, std::size_t size);
// count finite numbers separated by commas ("10.5,45" or "-3 , 7") into
// values; false for any other text.
bool parse_numbers(const std::string &text, double *values, std::size_t count);
// A place asked for: a longitude/latitude or a column/line, and, when it
// comes from a places file, its name.
struct Place {
    double x, y;
    std::string name;
};
// The places of a file of lines LON,LAT or LON,LAT,NAME in degrees; a
// place without a name (or with an empty one) is named by its two numbers
// as written.  Blank lines, lines starting with # and a first line naming
// the columns are skipped.  InputError naming the file (and the line) and
// why it is none.
std::vector<Place> read_places(const std::string &path);
// The same of an open file, its name for the messages.
std::vector<Place> read_places(std::FILE *file, const std::string &path);
// A number as the text reports show it: 15 significant digits.
std::string number(double value);

struct Options {
    QuorvexTables tables;
    std::string tables_path;
    std::vector<std::string> files;
    std::string output;
    std::string colours;
    std::string diverge_at;       // render: the centre of a diverging ramp
    std::string at, pixel;        // point
    std::string places;           // point: a file of places
    std::string window, box;      // crop; region: box
    std::string areas;            // region: the GeoJSON file of areas
    std::string statistic;        // composite: "max", "min", "mean", "median", "count", "stddev",
                                  // "trend" or "sum";
                                  // warp: the first four
    std::string grid;             // warp: the image whose grid the result takes
    std::string normal;           // anomaly: the image of the normal values
    std::string stddev;           // anomaly: the image of the standard deviations
    std::string lowest, highest;  // anomaly: the years' lowest and highest values
    std::string slope, intercept; // anomaly, composite: the result's law, when given
    bool percent = false;         // anomaly: a percentage of the normal
    bool json = false;
    bool legend = false;
};

int run_info(Options &options);
int run_check(Options &options);
int run_render(Options &options);
int run_point(Options &options);
int run_composite(Options &options);
int run_warp(Options &options);
int run_crop(Options &options);
int run_region(Options &options);
int run_anomaly(Options &options);

} // namespace cli

#endif
