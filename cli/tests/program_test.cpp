// The quorvex program run as a user runs it, on small generated images: a
// table of command lines with the status, output and error each gives, a
// table of values the JSON report holds, and rendered pixels decoded back.
#include "quorvex/quorvex.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// A header with the fields the tests vary; plate carree, type 200 by default.
struct Image {
    // unread: bytes 24, 34 and 119, which only the one who wrote them reads.
    int type = 200, projection = 3, rows = 3, columns = 4, upper = 250, missing = 255, unread = 0;
    double lat = 45, lon = 10, x_center = 2, y_center = 1, dx = 10, dy = 20, par2 = 60, slope = 0.5,
           intercept = -10;
    std::string title = "Test 4x3 ", pixels = std::string("\0\1\2\xff\4\5\6\7\x08\x09\x0a\xff", 12);

    std::string bytes() const
    {
        std::string h(QUORVEX_HEADER_SIZE, '\0');
        unsigned char *u = reinterpret_cast<unsigned char *>(h.data());
        const std::pair<int, int> small[] = {
            {22, type},         {23, projection}, {30, rows},   {31, rows >> 8}, {32, columns},
            {33, columns >> 8}, {168, 1},         {169, upper}, {170, missing},  {183, 2},
            {24, unread},       {34, unread},     {119, unread}};
        for (const auto &b : small)
            u[b.first] = static_cast<unsigned char>(b.second);
        h.replace(38, title.size(), title);
        const std::pair<int, double> reals[] = {
            {120, lat}, {126, lon}, {132, x_center}, {138, y_center}, {144, dx},
            {150, dy},  {156, 30},  {162, par2},     {171, slope},    {177, intercept}};
        for (const auto &r : reals)
            _DoubleCtoRealPascal(u + r.first, r.second);
        return h + pixels;
    }
};

const std::string second_pixels("\5\0\xff\3\4\x09\6\0\xff\x09\x0b\xff", 12);

// 300 x 300 valid bytes: more than one piece of the composite's reading.
std::string big_pixels()
{
    std::string pixels(300 * 300, '\0');
    for (std::size_t k = 0; k < pixels.size(); ++k)
        pixels[k] = static_cast<char>(k * 7 % 250);
    return pixels;
}

// The header's size of an image's bytes: columns, then lines.
std::pair<int, int> size_of(const std::string &image)
{
    const auto at = [&image](std::size_t k) {
        return uint8_t(image[k]) | uint8_t(image[k + 1]) << 8;
    };
    return {at(32), at(30)};
}

struct Outcome {
    int status;
    std::string out, err;
};

// Whether got holds what is expected: numbers within 1e-9 (positions come
// out of the engine's arithmetic); of an object, the members expected;
// anything else equal.
bool holds(const Json &got, const Json &expected)
{
    if (got.is_number() && expected.is_number())
        return std::fabs(got.get<double>() - expected.get<double>()) <= 1e-9;
    if (got.is_object() && expected.is_object()) {
        for (const auto &member : expected.items())
            if (!got.contains(member.key()) || !holds(got[member.key()], member.value()))
                return false;
        return true;
    }
    return got == expected;
}

class Program : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   ("quorvex-cli-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::map<std::string, Outcome> runs;

    // The files the cases name.
    void SetUp() override
    {
        fs::create_directories(dir / "folder");
        // Each image as the default one with the fields it changes.
        const auto image = [](void (*change)(Image &)) {
            Image i;
            change(i);
            return i.bytes();
        };
        const std::pair<const char *, std::string> files[] = {
            {"a.ida", Image().bytes()},
            {"b.ida", Image().bytes()},
            {"rows.ida", image([](Image &i) { i.rows = 2, i.pixels.resize(8); })},
            // Geostationary view, 1 pixel per degree of scan angle, the user's type 12.
            {"g.ida", image([](Image &i) {
                 i.type = 12, i.projection = 5, i.rows = i.columns = 41, i.lat = i.lon = 0;
                 i.x_center = i.y_center = 20, i.dx = i.dy = 1, i.title = "Geo\x1fview\x7f";
                 i.pixels = std::string("\0\1\2", 3) + std::string(41 * 41 - 3, '\3');
             })},
            {"negative.ida", image([](Image &i) { i.rows = -3; })},
            {"empty.ida", image([](Image &i) { i.rows = 0, i.pixels.clear(); })},
            {"narrow.ida", image([](Image &i) { i.columns = 0, i.pixels.clear(); })},
            {"type7.ida", image([](Image &i) { i.type = 7; })},
            {"p10.ida", image([](Image &i) { i.projection = 10; })},
            {"plain.ida", image([](Image &i) { i.projection = 0; })},
            // Second images of a's grid, and both under a falling law.
            {"c2.ida", image([](Image &i) { i.pixels = second_pixels; })},
            {"n1.ida", image([](Image &i) { i.slope = -0.5; })},
            {"n2.ida", image([](Image &i) { i.slope = -0.5, i.pixels = second_pixels; })},
            {"slope.ida", image([](Image &i) { i.slope = 0.25; })},
            {"icpt.ida", image([](Image &i) { i.intercept = -9; })},
            {"flat.ida", image([](Image &i) { i.slope = 0; })},
            {"a12.ida", image([](Image &i) { i.type = 12; })},
            {"lone.ida",
             image([](Image &i) { i.pixels = std::string(1, '\0') + std::string(11, '\xff'); })},
            // a and c2 a billion higher, and standard deviations of a's grid
            // (a quarter a byte).
            {"far.ida", image([](Image &i) { i.intercept = 1e9; })},
            {"far2.ida", image([](Image &i) { i.intercept = 1e9, i.pixels = second_pixels; })},
            {"sd.ida", image([](Image &i) {
                 i.slope = 0.25, i.intercept = 0;
                 i.pixels = std::string("\4\2\7\x09\xff\0\1\1\xff\3\x80\xff", 12);
             })},
            // The lowest and highest values of years on a's grid.
            {"lo.ida",
             image([](Image &i) { i.pixels = std::string("\1\0\0\0\4\1\5\3\xff\x09\2\0", 12); })},
            {"hi.ida", image([](Image &i) {
                 i.pixels = std::string("\5\5\6\x09\4\x09\x0d\x09\x09\x08\x09\x09", 12);
             })},
            // Missing code 250 amid the valid bytes, whose values then lie
            // unevenly.
            {"high.ida", image([](Image &i) {
                 i.missing = 250,
                 i.pixels = std::string("\xc8\x8c\xfa\xf9\xfb\xff\x80\0cde\x81", 12);
             })},
            // c2 with a value of 0 at its second pixel.
            {"c2zero.ida", image([](Image &i) { i.pixels = second_pixels, i.pixels[1] = 20; })},
            {"big.ida", image([](Image &i) { i.rows = i.columns = 300, i.pixels = big_pixels(); })},
            {"zero.ida",
             image([](Image &i) { i.rows = i.columns = 300, i.pixels.assign(90000, 0); })},
            {"laea.ida", image([](Image &i) { i.projection = 6, i.lat = 0, i.lon = -178; })},
            {"longer.ida", image([](Image &i) { i.pixels.push_back(0); })},
            {"short.ida", Image().bytes().substr(0, 100)},
            {"small.ida", image([](Image &i) {
                 i.rows = 2, i.columns = 3, i.missing = 0,
                 i.pixels = std::string("\0\5\xff\x09\x03\x11", 6);
             })},
            {"small2.ida", image([](Image &i) {
                 i.rows = 2, i.columns = 3, i.missing = 0, i.pixels = std::string(6, '\3');
             })},
            // Every byte: the ramp and the legend's text take more colours
            // than a palette holds.
            {"many.ida", image([](Image &i) {
                 i.rows = i.columns = 16, i.pixels.clear();
                 for (int byte = 0; byte < 256; ++byte)
                     i.pixels.push_back(static_cast<char>(byte));
             })},
            // A world map of 10-degree pixels and two grids over it: a Lambert
            // azimuthal whose lines start beyond the circle of radius 2a
            // (where the inverse stops), and a Hammer-Aitoff whose corners
            // lie beyond its ellipse.
            {"world.ida", image([](Image &i) {
                 i.rows = 18, i.columns = 36, i.lat = i.lon = 0, i.x_center = 17.5,
                 i.y_center = 8.5, i.dx = i.dy = 0.1, i.unread = 7, i.pixels.clear();
                 for (int k = 0; k < 18 * 36; ++k)
                     i.pixels.push_back(static_cast<char>(k * 7 % 250));
             })},
            {"glaea.ida", image([](Image &i) {
                 i.projection = 6, i.rows = 5, i.columns = 9, i.lat = 0, i.lon = -90,
                 i.x_center = 4, i.y_center = 2, i.dx = i.dy = 1 / 3.5e6, i.pixels.clear();
                 for (int k = 0; k < 45; ++k)
                     i.pixels.push_back(static_cast<char>(k * 11 % 250));
             })},
            // 30-degree pixels over 720 degrees: the 4th and 16th of line 3
            // at the antipode of glaea's centre, where its forward
            // projection stops.
            {"coarse.ida", image([](Image &i) {
                 i.rows = 6, i.columns = 24, i.lat = i.lon = 0, i.x_center = 12, i.y_center = 3,
                 i.dx = i.dy = 1 / 30.0, i.pixels.clear();
                 for (int k = 0; k < 144; ++k)
                     i.pixels.push_back(static_cast<char>(k * 3 % 250));
             })},
            {"hammer.ida", image([](Image &i) {
                 i.projection = 2, i.rows = 6, i.columns = 12, i.lat = 0, i.lon = 90,
                 i.x_center = 5.5, i.y_center = 2.5, i.dx = 6, i.dy = 3, i.pixels.assign(72, 0);
                 i.title = "Hammer grid", i.missing = 254, i.slope = 2, i.par2 = 20;
             })},
            // The geostationary view at 2 degrees of scan angle a pixel: the
            // corners, beyond the disc, are marked.
            {"geo.ida", image([](Image &i) {
                 i.projection = 5, i.rows = i.columns = 9, i.lat = i.lon = 0, i.x_center = 4,
                 i.y_center = 4, i.dx = i.dy = 0.5, i.pixels.assign(81, 0);
             })},
            {"shifted.ida", image([](Image &i) { i.x_center = 3; })},
            // a's grid over big's last three lines.
            {"low.ida", image([](Image &i) { i.y_center = -296; })},
            // a's grid at twice its pixel size, a column more to the east.
            {"half.ida", image([](Image &i) {
                 i.rows = 2, i.columns = 3, i.x_center = 0.75, i.y_center = 0.25, i.dx = 5,
                 i.dy = 10, i.pixels.assign(6, 0);
             })},
            // 40 lines of type 13, which has no missing code, and grids one
            // line further south and one column further west.
            {"tall13.ida", image([](Image &i) {
                 i.type = 13, i.rows = 40, i.columns = 2, i.x_center = 0.5, i.y_center = 19.5,
                 i.pixels.clear();
                 for (int k = 0; k < 80; ++k)
                     i.pixels.push_back(static_cast<char>(k + 1));
             })},
            {"tall13b.ida", image([](Image &i) {
                 i.type = 13, i.rows = 40, i.columns = 2, i.x_center = 0.5, i.y_center = 18.5,
                 i.pixels.assign(80, 0);
             })},
            // tall13b's grid, a 255 and 79 ones.
            {"top13.ida", image([](Image &i) {
                 i.type = 13, i.rows = 40, i.columns = 2, i.x_center = 0.5, i.y_center = 18.5,
                 i.pixels = "\xff" + std::string(79, '\1');
             })},
            {"tall13c.ida", image([](Image &i) {
                 i.type = 13, i.rows = 40, i.columns = 2, i.x_center = 1.5, i.y_center = 19.5,
                 i.pixels.assign(80, 0);
             })},
            {"out.png", "old"},
            {"folder/picture.png", "old"},
            {"t.txt", "idatype code=12 label=\"Twelve\" missingcodes=0 cloudcodes=1 slope=2 "
                      "intercept=1\nidatype code=13 label=Thirteen slope=1 intercept=0\n"
                      "projection code=5 name=Geo\nprojection code=3 name=Plate\n"},
            {"bad.txt", "projection code=300\n"},
            {"places.csv",
             "# stations\nlon, lat ,name\n10,45,Centre\n\r\n 10.04, 44.97 \r\n10.3,45, far  east "},
            // Lines of 1000 and 1001 characters.
            {"long.csv",
             "10,45," + std::string(994, 'n') + "\n10,45," + std::string(995, 'n') + "\n"},
            {"noplace.csv", "# none yet\n\n"},
            {"header.csv", "10,45\nlon,lat,name\n"},
            {"typo.csv", "10,4S\n"},
            {"typo2.csv", "Rome,45,Centre\n"},
            {"pole.csv", "10,90.5\n"},
            {"far.csv", "600,45\n"},
            // North of a's lines, then on its last line 360 degrees west.
            {"turned.csv", "10,50\n-349.96,44.97\n"},
            {"tab.csv", "10,45,a\tb\n"},
            {"unnamed.csv", "10,45,\n"},
            // Lines ended by a carriage return alone.
            {"cr.csv", "10,45,A\r10,44.97,B\r"},
            // 10,45 saved as UTF-16, with its byte order mark.
            {"utf16.csv", std::string("\xff\xfe\x31\0\x30\0\x2c\0\x34\0\x35\0", 12)},
            // All of a but (2, 1); its columns 0 and 1 of lines 1 and 2; its
            // columns 3 and 0, drawn 360 degrees east and west.
            {"areas.geojson",
             R"({"type": "FeatureCollection", "features": [
               {"type": "Feature", "id": 7, "properties": {"name": null}, "geometry": {
                "type": "Polygon", "coordinates": [[[9.75, 44.9], [10.15, 44.9], [10.15, 45.1],
                [9.75, 45.1], [9.75, 44.9]], [[9.97, 44.97], [10.03, 44.97], [10.03, 45.03],
                [9.97, 45.03]]]}},
               {"type": "Feature", "properties": {"name": "West"}, "geometry": {"type": "Polygon",
                "coordinates": [[[9.95, 44.9], [9.95, 45.025], [9.75, 45.025], [9.75, 44.9]]]}},
               {"type": "Feature", "properties": {}, "geometry": {"type": "MultiPolygon",
                "coordinates": [[[[370.05, 44.9], [370.15, 44.9], [370.15, 45.1], [370.05, 45.1]]],
                [[[-350.25, 44.9], [-350.15, 44.9], [-350.15, 45.1], [-350.25, 45.1]]]]}}]})"},
            {"type5.geojson", R"({"type": 5})"},
            {"none.geojson", R"({"type": "FeatureCollection", "features": []})"},
            // An unlocated feature is an area; a point is not.
            {"point.geojson", R"({"type": "FeatureCollection", "features": [{"type": "Feature",
              "geometry": null}, {"type": "Feature", "geometry": {"type": "Point"}}]})"},
            {"bare.geojson", R"({"type": "Feature"})"},
            {"ring.geojson", R"({"type": "Polygon", "coordinates": [[[10, 45], [11]]]})"},
            // Metres of a projected coordinate system, not degrees.
            {"north.geojson", R"({"type": "Polygon", "coordinates": [[[10, 45], [9, 4.5e6]]]})"},
            {"east.geojson", R"({"type": "Polygon", "coordinates": [[[540, 45], [5e5, 45]]],
                "crs": {"type": "name", "properties": {"name": "EPSG:32632"}}})"},
            {"tab.geojson", R"({"type": "Feature", "id": "a\tb", "geometry": {}})"},
            {"bad.clr", "0 1 2 3 4\n\n5 6 300 0 0 x\n"},
            {"c.clr", "From To Red Green Blue Legend\r\n  0  4  255 0 0   low\r\n\r\n"
                      "  5  9  0 255 0   middle values\r\n  9\t20 0 0 255\r\n"}};
        for (const auto &f : files)
            std::ofstream(dir / f.first, std::ios::binary) << f.second;
        // The full device: a node of its own where one can be made (as
        // root), so that a faulty build replaces that node and not
        // /dev/full; else a link to /dev/full, which only root could replace.
        if (mknod((dir / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0)
            fs::create_symlink("/dev/full", dir / "full");
        fs::create_symlink("folder/picture.png", dir / "linked.png");
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::string read(const fs::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // The header of image with its coding in itself: IDA type 200, bytes 0
    // to 254 under the law, 255 missing.
    std::string coded_header(const std::string &image, double slope, double intercept)
    {
        std::string header = read(dir / image).substr(0, QUORVEX_HEADER_SIZE);
        unsigned char *u = reinterpret_cast<unsigned char *>(header.data());
        u[22] = 200, u[168] = 0, u[169] = 254, u[170] = 255;
        _DoubleCtoRealPascal(u + 171, slope);
        _DoubleCtoRealPascal(u + 177, intercept);
        return header;
    }

    // The place of a pixel's centre as point finds it, written for point
    // --at; "" where it has none.
    std::string place_of(const std::string &file, const std::string &pixel)
    {
        const Json place = Json::parse(run("point --json --pixel " + pixel + " " + file).out);
        if (place["longitude"].is_null())
            return std::string();
        char at[80];
        std::snprintf(at, sizeof at, "%.17g,%.17g", place["longitude"].get<double>(),
                      place["latitude"].get<double>());
        return std::string(at);
    }

    const Outcome &run(const std::string &args)
    {
        if (runs.count(args) == 0) {
            const std::string command = "cd '" + dir.string() + "' && '" QUORVEX_PROGRAM "' " +
                                        args + " >stdout.txt 2>stderr.txt";
            const int status = std::system(command.c_str());
            runs[args] = {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(dir / "stdout.txt"),
                          read(dir / "stderr.txt")};
        }
        return runs[args];
    }
};

TEST_F(Program, CommandLinesGiveTheirStatusOutputAndOneErrorLine)
{
    // One command line a case: its arguments | status | the one line after
    // "quorvex: " on the error output (or none) | a part of the output, where
    // \n stands for a line end and \t for a tab.
    const std::string cases = R"(
info a.ida | 0 |  | \n  Height: 3\n  WIDz: 4\n  Title: Test 4x3\n
info a.ida | 0 |  | \npixels: count 12, valid 10, missing 2, special 0\nstatistics: minimum -10, maximum -5, mean -7.4, median -7.25, stddev 1.62480768092719\n
info a.ida | 0 |  | \n    position: longitude 9.8, latitude 45.05\n
--tables t.txt info g.ida | 0 |  | position: no position
check a.ida b.ida a.ida | 0 |  | All 3 files agree with a.ida\n
check a.ida | 0 |  | a.ida: a single file, nothing to compare\n
check a.ida b.ida rows.ida | 1 |  | File <rows.ida>:  Input image <rows.ida>: \nnot the same size.\n
--version | 0 |  | quorvex )" QUORVEX_VERSION R"(\n
-h | 0 |  | Usage: quorvex [--tables FILE] COMMAND
render --help | 0 |  | Usage: quorvex render
info none.ida | 1 | none.ida: No such file or directory
info short.ida | 1 | short.ida: 100 bytes, shorter than the 512-byte header
check a.ida longer.ida | 1 | longer.ida: 525 bytes, but the header's 4 x 3 pixels need 524
info negative.ida | 1 | negative.ida: negative image size in the header (4 x -3)
render empty.ida -o out.png | 1 | empty.ida: the image has no pixels to draw
render narrow.ida -o out.png | 1 | narrow.ida: the image has no pixels to draw
info type7.ida | 1 | type7.ida: IDA type 7 is not in the tables |   message: File <type7.ida>:  File <type7.ida>: Ida Type <7> unknown.  Please
render p10.ida -o out.png | 1 | p10.ida: projection code 10 is not accepted by the library
render a.ida -o none/x.png | 1 | none/x.png: cannot create (No such file or directory)
render a.ida -o folder | 1 | folder: cannot write (Is a directory)
render a.ida -o full | 1 | full: cannot write (No space left on device)
render a.ida --colours bad.clr -o out.png | 1 | bad.clr:3: Red '300' is not a whole number from 0 to 255
render a.ida --colours none.clr -o out.png | 1 | none.clr: No such file or directory
render a.ida --colours c.clr --diverge-at 0 -o out.png | 2 | render takes one of --colours FILE.CLR and --diverge-at VALUE
render a.ida --diverge-at zero -o out.png | 2 | --diverge-at needs a number, such as 0 or 100
--tables bad.txt info a.ida | 1 | bad.txt:1: bad value '300' for code (0 to 255)
 | 2 | no command (see quorvex --help)
show a.ida | 2 | unknown command 'show' (see quorvex --help)
info --legend a.ida | 2 | unknown option '--legend' for info (see quorvex info --help)
check | 2 | check needs a FILE (see quorvex check --help)
render a.ida | 2 | render takes one FILE and -o OUT.png
render a.ida -o | 2 | -o needs a value
render a.ida -o ./a.ida | 2 | ./a.ida: names an input file (a.ida); name another output
render a.ida --colours bad.clr -o bad.clr | 2 | bad.clr: names an input file (bad.clr); name another output
point --at 10,45 a.ida b.ida | 0 |  | file\tcolumn\tline\tlongitude\tlatitude\tbyte\tvalue\na.ida\t2\t1\t10\t45\t6\t-7\nb.ida\t2
point --at 10.1,45.05 a.ida | 0 |  | \na.ida\t3\t0\t10.1\t45.05\t255\tmissing\n
point --pixel 0,2 a.ida | 0 |  | \na.ida\t0\t2\t9.8\t44.95\t8\t-6\n
point --json --at 10,45 a.ida | 0 |  | {"file":"a.ida","column":2,"line":1,"longitude":10.0,"latitude":45.0,"byte":6,"kind":"valid","value":-7.0}\n
point --at 10.04,44.97 a.ida | 0 |  | \na.ida\t2\t2\t10\t44.95\t10\t-5\n
point --pixel 4,0 a.ida | 0 |  | \na.ida\t-\t-\t-\t-\t-\toutside\n
point --pixel 0,3 a.ida | 0 |  | \na.ida\t-\t-\t-\t-\t-\toutside\n
point --at 10.3,45 a.ida | 0 |  | \na.ida\t-\t-\t-\t-\t-\toutside\n
point --at 370,45 a.ida | 0 |  | \na.ida\t2\t1\t10\t45\t6\t-7\n
point --at -349.9,45.05 a.ida | 0 |  | \na.ida\t3\t0\t10.1\t45.05\t255\tmissing\n
--tables t.txt point --at 0,0 g.ida | 0 |  | \ng.ida\t20\t20\t0\t0\t3\t7\n
--tables t.txt point --pixel 1,0 g.ida | 0 |  | \ng.ida\t1\t0\t-\t-\t1\tspecial\n
--tables t.txt point --at 100,0 g.ida | 0 |  | \ng.ida\t-\t-\t-\t-\t-\toutside\n
point --pixel 0,0 hammer.ida | 0 |  | \nhammer.ida\t0\t0\t-\t-\t0\t-10\n
point --at 300,30 hammer.ida | 0 |  | \nhammer.ida\t1\t1\t-64.1580672372153\t33.0152588412021\t0\t-10\n
point --at 2,0 laea.ida | 0 |  | \nlaea.ida\t-\t-\t-\t-\t-\toutside\n
point --pixel 1,0 plain.ida | 0 |  | \nplain.ida\t1\t0\t-\t-\t1\t-9.5\n
point --at 10,45 plain.ida a.ida | 1 | plain.ida: the image has no projection, so no pixel lies at a longitude/latitude | \na.ida\t2\t1
point --at 10,45 p10.ida | 1 | p10.ida: projection code 10 is not accepted by the library
point --places places.csv a.ida b.ida | 0 |  | place\tfile\tcolumn\tline\tlongitude\tlatitude\tbyte\tvalue\nCentre\ta.ida\t2\t1\t10\t45\t6\t-7\n10.04, 44.97\ta.ida\t2\t2\t10\t44.95\t10\t-5\nfar  east\ta.ida\t-\t-\t-\t-\t-\toutside\nCentre\tb.ida\t2\t1\t10\t45\t6\t-7\n10.04
point --json --places places.csv a.ida | 0 |  | {"place":"Centre","file":"a.ida","column":2,"line":1,
point --places turned.csv a.ida | 0 |  | \n10,50\ta.ida\t-\t-\t-\t-\t-\toutside\n-349.96,44.97\ta.ida\t2\t2\t10\t44.95\t10\t-5\n
point --places unnamed.csv a.ida | 0 |  | \n10,45\ta.ida\t2\t1\t10\t45\t6\t-7\n
point --places places.csv plain.ida a.ida | 1 | plain.ida: the image has no projection, so no pixel lies at a longitude/latitude | \nCentre\ta.ida\t2\t1
point --places header.csv a.ida | 1 | header.csv line 2: a place needs LON,LAT or LON,LAT,NAME in degrees, such as 10.5,45,Rome
point --places typo.csv a.ida | 1 | typo.csv line 1: a place needs LON,LAT or LON,LAT,NAME in degrees, such as 10.5,45,Rome
point --places typo2.csv a.ida | 1 | typo2.csv line 1: a place needs LON,LAT or LON,LAT,NAME in degrees, such as 10.5,45,Rome
point --places tab.csv a.ida | 1 | tab.csv line 1: a place's name cannot hold a tab or a line break
point --places cr.csv a.ida | 1 | cr.csv line 1: a place's name cannot hold a tab or a line break
point --places long.csv a.ida | 1 | long.csv line 2: longer than 1000 characters, not a place
point --places utf16.csv a.ida | 1 | utf16.csv line 1: zero byte in the line, not a place
point --places noplace.csv a.ida | 1 | noplace.csv: no places (a line LON,LAT or LON,LAT,NAME for each)
point --places none.csv a.ida | 1 | none.csv: cannot open (No such file or directory)
point --places places.csv --at 10,45 a.ida | 2 | point takes one of --at LON,LAT, --pixel COLUMN,LINE and --places FILE
composite --max -o c.ida a.ida rows.ida | 1 | File <rows.ida>:  Input image <rows.ida>:  not the same size.
composite --max -o c.ida a.ida slope.ida | 1 | slope.ida: its pixels are coded with another law or other codes than a.ida's
composite --max -o c.ida a.ida icpt.ida | 1 | icpt.ida: its pixels are coded with another law or other codes than a.ida's
composite --max -o c.ida a.ida small.ida | 1 | small.ida: its pixels are coded with another law or other codes than a.ida's
composite --max -o c.ida a.ida type7.ida | 1 | type7.ida: IDA type 7 is not in the tables
composite --mean -o full a.ida c2.ida | 1 | full: cannot write (No space left on device)
composite -o c.ida a.ida | 2 | composite takes one of --max, --min, --mean, --median, --count, --stddev, --trend and --sum
composite --max --count -o c.ida a.ida | 2 | composite takes one of --max, --min, --mean, --median, --count, --stddev, --trend and --sum
composite --trend -o t.ida a.ida | 2 | composite --trend needs two FILEs or more
composite --max --max -o c3.ida a.ida | 0 | 
warp --count a.ida --grid b.ida -o w.ida | 2 | unknown option '--count' for warp (see quorvex warp --help)
warp --stddev a.ida --grid b.ida -o w.ida | 2 | unknown option '--stddev' for warp (see quorvex warp --help)
composite --stddev -o s.ida flat.ida | 1 | flat.ida: its slope is 0, so the standard deviation's law (half of it) is flat
composite --trend -o t.ida flat.ida flat.ida | 1 | flat.ida: its slope is 0, so the trend's law is flat
composite --sum -o u.ida flat.ida | 1 | flat.ida: its slope is 0, so the sum's law is flat
composite --sum --intercept 0 -o u.ida a.ida c2.ida | 0 | u.ida: 8 sums lie beyond the values its bytes hold (0 to 254) and took the nearest of them
composite --max --slope 1 -o u.ida a.ida | 2 | composite takes --slope and --intercept with --stddev, --trend and --sum
composite --count --intercept 1 -o u.ida a.ida | 2 | composite takes --slope and --intercept with --stddev, --trend and --sum
composite --sum --slope 0 -o u.ida a.ida | 2 | --slope needs a number other than 0, such as 0.004
warp --trend a.ida --grid b.ida -o w.ida | 2 | unknown option '--trend' for warp (see quorvex warp --help)
composite --max a.ida | 2 | composite needs -o OUT.ida
composite --max -o c2.ida a.ida c2.ida | 2 | c2.ida: names an input file (c2.ida); name another output
anomaly a.ida --normal c2.ida --slope 2 --intercept 1 -o x.ida | 0 | x.ida: 3 departures lie beyond the values its bytes hold (1 to 509) and took the nearest of them
anomaly a.ida --normal rows.ida -o x.ida | 1 | File <rows.ida>:  Input image <rows.ida>:  not the same size.
--tables t.txt anomaly g.ida --normal a.ida -o x.ida | 1 | File <a.ida>:  Input image <a.ida>:  not the same Ida Type.
anomaly flat.ida --normal a.ida -o x.ida | 1 | flat.ida: its slope is 0, so the result's law needs --slope
anomaly a.ida --normal c2.ida --stddev rows.ida -o x.ida | 1 | File <rows.ida>:  Input image <rows.ida>:  not the same size.
anomaly a.ida --normal c2.ida --stddev sd.ida --percent -o x.ida | 2 | anomaly takes one of --percent, --stddev and --lowest with --highest
anomaly a.ida --lowest lo.ida --highest hi.ida --percent -o x.ida | 2 | anomaly takes one of --percent, --stddev and --lowest with --highest
anomaly a.ida --lowest lo.ida -o x.ida | 2 | anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or --lowest MIN.ida and --highest MAX.ida
anomaly a.ida --normal c2.ida --lowest lo.ida --highest hi.ida -o x.ida | 2 | anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or --lowest MIN.ida and --highest MAX.ida
anomaly a.ida --normal c2.ida --lowest lo.ida -o x.ida | 2 | anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or --lowest MIN.ida and --highest MAX.ida
anomaly a.ida c2.ida --normal c2.ida -o x.ida | 2 | anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or --lowest MIN.ida and --highest MAX.ida
anomaly a.ida --lowest lo.ida --highest hi.ida -o hi.ida | 2 | hi.ida: names an input file (hi.ida); name another output
anomaly a.ida --normal c2.ida -o full | 1 | full: cannot write (No space left on device)
anomaly a.ida -o x.ida | 2 | anomaly takes one FILE, -o OUT.ida, and --normal NORMAL.ida or --lowest MIN.ida and --highest MAX.ida
anomaly a.ida --normal c2.ida -o c2.ida | 2 | c2.ida: names an input file (c2.ida); name another output
anomaly a.ida --normal c2.ida --slope 1e-11 -o x.ida | 2 | --slope needs a number other than 0, such as 0.004
anomaly a.ida --normal c2.ida --intercept 1e39 -o x.ida | 2 | --intercept needs a number such as -0.5
warp a.ida --grid shifted.ida -o w.ida | 0 |  | 
--tables t.txt warp g.ida --grid g.ida -o w.ida | 0 |  | 
warp plain.ida --grid a.ida -o w.ida | 1 | plain.ida: the image has no projection, so it has no place to take from
warp a.ida --grid plain.ida -o w.ida | 1 | plain.ida: the image has no projection, so it gives no grid
warp p10.ida --grid a.ida -o w.ida | 1 | p10.ida: projection code 10 is not accepted by the library
--tables t.txt warp tall13.ida --grid tall13b.ida -o w.ida | 1 | tall13.ida: the image has no missing code for the places of the grid it does not cover
--tables t.txt warp tall13.ida --grid tall13c.ida -o w.ida | 1 | tall13.ida: the image has no missing code for the places of the grid it does not cover
--tables t.txt warp tall13.ida tall13b.ida --grid tall13b.ida -o w.ida | 0 | 
warp a.ida --grid a.ida -o full | 1 | full: cannot write (No space left on device)
warp a.ida -o w.ida | 2 | warp takes FILE..., --grid GRID.ida and -o OUT.ida
warp a.ida --grid b.ida | 2 | warp takes FILE..., --grid GRID.ida and -o OUT.ida
warp a.ida slope.ida --grid a.ida -o w.ida | 1 | slope.ida: its pixels are coded with another law or other codes than a.ida's
warp a.ida --grid b.ida -o b.ida | 2 | b.ida: names an input file (b.ida); name another output
warp --max a.ida --grid b.ida --median -o w.ida | 2 | warp takes one of --max, --min, --mean and --median
point a.ida | 2 | point takes one of --at LON,LAT, --pixel COLUMN,LINE and --places FILE
point --at 1,2 --pixel 1,2 a.ida | 2 | point takes one of --at LON,LAT, --pixel COLUMN,LINE and --places FILE
point --at " 10 , 45 " a.ida | 0 |  | \na.ida\t2\t1\t10\t45\t6\t-7\n
point --at 10 a.ida | 2 | --at needs LON,LAT in degrees, such as 10.5,45
point --at 10,90.5 a.ida | 2 | --at needs LON,LAT in degrees, such as 10.5,45
point --places pole.csv a.ida | 1 | pole.csv line 1: a place needs LON,LAT or LON,LAT,NAME in degrees, such as 10.5,45,Rome
point --places far.csv a.ida | 1 | far.csv line 1: a place needs LON,LAT or LON,LAT,NAME in degrees, such as 10.5,45,Rome
region --box 0,35,20,90.5 a.ida | 2 | --box needs WEST,SOUTH,EAST,NORTH in degrees, such as -10,35,30,60
point --at 10,nan a.ida | 2 | --at needs LON,LAT in degrees, such as 10.5,45
point --at 10,45x a.ida | 2 | --at needs LON,LAT in degrees, such as 10.5,45
point --at ,45 a.ida | 2 | --at needs LON,LAT in degrees, such as 10.5,45
point --pixel 1.5,2 a.ida | 2 | --pixel needs whole numbers of pixels, such as 12,30
crop a.ida --pixels 1,1,2,2 | 2 | crop takes one FILE and -o OUT.ida
crop a.ida -o k.ida | 2 | crop takes one of --pixels COLUMN,LINE,WIDTH,HEIGHT and --box WEST,SOUTH,EAST,NORTH
crop a.ida --pixels 0,0,1,1 --box 0,40,20,50 -o k.ida | 2 | crop takes one of --pixels COLUMN,LINE,WIDTH,HEIGHT and --box WEST,SOUTH,EAST,NORTH
crop a.ida --pixels 1,1,2 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels 1,1,0,2 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels -1,1,2,2 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels 1,-1,2,2 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels 1,1,2,0 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels 1,0.5,2,2 -o k.ida | 2 | --pixels needs COLUMN,LINE,WIDTH,HEIGHT in whole pixels, such as 10,20,300,200
crop a.ida --pixels 3,1,2,2 -o k.ida | 1 | a.ida: the window of 3,1,2,2 reaches beyond the image's 4 x 3 pixels
crop a.ida --pixels 0,2,1,2 -o k.ida | 1 | a.ida: the window of 0,2,1,2 reaches beyond the image's 4 x 3 pixels
crop a.ida --pixels 1,0,4,1 -o k.ida | 1 | a.ida: the window of 1,0,4,1 reaches beyond the image's 4 x 3 pixels
crop a.ida --pixels 0,2,4,1 -o k.ida | 0 | 
crop a.ida --box 0,50,20,40 -o k.ida | 2 | --box needs WEST,SOUTH,EAST,NORTH in degrees, such as -10,35,30,60
crop plain.ida --box 0,40,20,50 -o k.ida | 1 | plain.ida: the image has no projection, so no pixel lies in a box of longitudes and latitudes
crop a.ida --box 100,0,120,10 -o k.ida | 1 | a.ida: no pixel's centre lies in the box 100,0,120,10
crop a.ida --pixels 0,0,1,1 -o a.ida | 2 | a.ida: names an input file (a.ida); name another output
crop a.ida --pixels 0,0,4,3 -o full | 1 | full: cannot write (No space left on device)
region --box 9.85,44.97,10.12,45.1 a.ida shifted.ida plain.ida b.ida | 1 | plain.ida: the image has no projection, so no pixel lies in a box of longitudes and latitudes | file\tpixels\tvalid\tmissing\tspecial\tminimum\tmaximum\tmean\tmedian\tstddev\na.ida\t6\t5\t1\t0\t-9.5\t-6.5\t-7.9\t-7.5\t1.15758369027902\nshifted.ida\t4\t3\t1\t0\t-9\t-6.5\t-7.5\t-7\t1.08012344973464\nb.ida\t6\t5\t1\t0\t-9.5\t-6.5\t-7.9\t-7.5\t1.15758369027902\n
region --box 100,0,120,10 a.ida | 0 |  | \na.ida\t0\t0\t0\t0\t-\t-\t-\t-\t-\n
region --box 9.95,44.9,10.05,44.96 a.ida | 0 |  | \na.ida\t1\t1\t0\t0\t-5\t-5\t-5\t-5\t0\n
region a.ida | 2 | region takes one of --box WEST,SOUTH,EAST,NORTH and --areas FILE
region --areas areas.geojson a.ida b.ida | 0 |  | area\tfile\tpixels\tvalid\tmissing\tspecial\tminimum\tmaximum\tmean\tmedian\tstddev\n7\ta.ida\t11\t9\t2\t0\t-10\t-5\t-7.44444444444444\t-7.5\t1.70692127730414\nWest\ta.ida\t4\t4\t0\t0\t-8\t-5.5\t-6.75\t-6.75\t1.03077640640442\n3\ta.ida\t6\t4\t2\t0\t-10\t-6\t-7.625\t-7.25\t1.55623744974859\n7\tb.ida
region --json --areas areas.geojson a.ida | 0 |  | {"area":"7","file":"a.ida","pixels":{"count":11,
region --areas areas.geojson plain.ida | 1 | plain.ida: the image has no projection, so no pixel lies in an area of longitudes and latitudes
region --areas bad.txt a.ida | 1 | bad.txt: not GeoJSON (parse error at line 1, column 1: syntax error while parsing value - invalid literal; last read: 'p')
region --areas type5.geojson a.ida | 1 | type5.geojson: not a GeoJSON FeatureCollection, Feature, Polygon or MultiPolygon
region --areas none.geojson a.ida | 1 | none.geojson: no areas (a Polygon or MultiPolygon feature for each)
region --areas point.geojson a.ida | 1 | point.geojson feature 2: not a Polygon or MultiPolygon
region --areas bare.geojson a.ida | 1 | bare.geojson feature 1: not a Feature with a geometry
region --areas ring.geojson a.ida | 1 | ring.geojson feature 1: coordinates are not rings of [longitude, latitude] in degrees
region --areas north.geojson a.ida | 1 | north.geojson feature 1: coordinates are not rings of [longitude, latitude] in degrees
region --areas east.geojson a.ida | 1 | east.geojson feature 1: coordinates are not rings of [longitude, latitude] in degrees (the file's "crs" is EPSG:32632)
region --areas tab.geojson a.ida | 1 | tab.geojson feature 1: an area's name cannot hold a tab or a line break
region --areas no.geojson a.ida | 1 | no.geojson: cannot open (No such file or directory)
region --box 0,50,20,40 a.ida | 2 | --box needs WEST,SOUTH,EAST,NORTH in degrees, such as -10,35,30,60
)";
    const std::regex form(R"((.*?) \| (\d) \| (.*?)(?: \| (.*))?)");
    std::istringstream table(cases);
    std::smatch c;
    for (std::string line; std::getline(table, line);) {
        if (!std::regex_match(line, c, form)) {
            EXPECT_EQ(line, "") << "not a case";
            continue;
        }
        std::string out = c[4];
        for (std::size_t n; (n = out.find("\\n")) != std::string::npos;)
            out.replace(n, 2, "\n");
        for (std::size_t n; (n = out.find("\\t")) != std::string::npos;)
            out.replace(n, 2, "\t");
        const Outcome &r = run(c[1]);
        EXPECT_EQ(r.status, std::stoi(c[2])) << c[1];
        EXPECT_NE(r.out.find(out), std::string::npos) << c[1] << "\n" << r.out;
        EXPECT_EQ(r.err, c[3].length() ? "quorvex: " + c[3].str() + "\n" : "") << c[1];
    }
    // The tables file GDAL's driver takes, without --tables; --tables wins.
    setenv("QUORVEX_TABLES", "t.txt", 1);
    EXPECT_EQ(run("info g.ida").status, 0);
    EXPECT_EQ(run("--tables bad.txt info g.ida").err,
              "quorvex: bad.txt:1: bad value '300' for code (0 to 255)\n");
    setenv("QUORVEX_TABLES", "missing.txt", 1);
    EXPECT_EQ(run("check b.ida").err.substr(0, 22), "quorvex: missing.txt: ");
    unsetenv("QUORVEX_TABLES");
    // No failed render left a half file or replaced the old one.
    EXPECT_EQ(read(dir / "out.png"), "old");
    EXPECT_TRUE(fs::is_character_file(dir / "full")) << "a device is written, not replaced";
    EXPECT_EQ(run("render a.ida -o linked.png").status, 0);
    EXPECT_TRUE(fs::is_symlink(dir / "linked.png")) << "a link is written through";
    EXPECT_EQ(read(dir / "folder/picture.png").substr(1, 3), "PNG");
    for (const auto &entry : fs::directory_iterator(dir))
        EXPECT_NE(entry.path().filename().string().rfind(".quorvex-", 0), 0u) << entry.path();
}

TEST_F(Program, CompositeTakesTheValueOfEachPlace)
{
    // a.ida and c2.ida (0.5 x byte - 10, 255 missing), n1.ida and n2.ida
    // the same bytes under -0.5 x byte - 10; the last place has no valid
    // byte, and the mean's halves go to the lower value.
    const struct {
        const char *statistic, *first, *others;
        std::string pixels;
    } cases[] = {
        {"--max", "a.ida", "c2.ida", {5, 1, 2, 3, 4, 9, 6, 7, 8, 9, 11, '\xff'}},
        {"--min", "a.ida", "c2.ida", {0, 0, 2, 3, 4, 5, 6, 0, 8, 9, 10, '\xff'}},
        {"--mean", "a.ida", "c2.ida", {2, 0, 2, 3, 4, 7, 6, 3, 8, 9, 10, '\xff'}},
        {"--max", "n1.ida", "n2.ida", {0, 0, 2, 3, 4, 5, 6, 0, 8, 9, 10, '\xff'}},
        {"--mean", "n1.ida", "n2.ida", {3, 1, 2, 3, 4, 7, 6, 4, 8, 9, 11, '\xff'}},
        // The median of two is their mean; of three, the middle one.
        {"--median", "n1.ida", "n2.ida", {3, 1, 2, 3, 4, 7, 6, 4, 8, 9, 11, '\xff'}},
        {"--median", "c2.ida", "a.ida a.ida", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, '\xff'}},
        {"--median", "big.ida", "zero.ida big.ida", big_pixels()},
        {"--max", "c2.ida", "", second_pixels},
        // Missing code 0: byte 255 is valid.
        {"--max", "small.ida", "small2.ida", {3, 5, '\xff', 9, 3, 17}},
        {"--mean", "big.ida", "big.ida", big_pixels()},
        {"--mean", "c2.ida", "a.ida a.ida", {2, 1, 2, 3, 4, 6, 6, 5, 8, 9, 10, '\xff'}},
        {"--mean", "high.ida", "high.ida", read(dir / "high.ida").substr(QUORVEX_HEADER_SIZE)},
        {"--max", "zero.ida", "big.ida", big_pixels()},
    };
    for (const auto &c : cases) {
        const std::string args =
            std::string("composite -o c.ida ") + c.statistic + " " + c.first + " " + c.others;
        EXPECT_EQ(run(args).status, 0) << args;
        EXPECT_EQ(read(dir / "c.ida"),
                  read(dir / c.first).substr(0, QUORVEX_HEADER_SIZE) + c.pixels)
            << args;
    }
    // The number of valid pixels at each place, coded in the result's own
    // header (and in the table of coded results); a.ida 254 times and lone.ida count
    // 254 at a's valid places, one beyond the bytes at the first.
    std::string stack = "composite --count -o k255.ida lone.ida";
    for (int k = 0; k < 254; ++k)
        stack += " a.ida";
    EXPECT_EQ(run(stack).err, "quorvex: k255.ida: 1 place has more valid pixels than its bytes "
                              "hold (254) and took 254\n");
    EXPECT_EQ(read(dir / "k255.ida"),
              coded_header("lone.ida", 1, 0) +
                  std::string("\xfe\xfe\xfe\0\xfe\xfe\xfe\xfe\xfe\xfe\xfe\0", 12));
    // A stack larger than the number of files the program may open when it
    // starts, for composite and for warp.
    for (const char *command : {"composite --max -o c.ida", "warp --grid a.ida -o w.ida"}) {
        std::string many =
            "cd '" + dir.string() + "' && ulimit -Sn 12 && '" QUORVEX_PROGRAM "' " + command;
        for (int k = 0; k < 16; ++k)
            many += " a.ida";
        EXPECT_EQ(std::system(many.c_str()), 0) << command;
    }
}

TEST_F(Program, CodedResultsHoldTheirValuesInTheirOwnHeader)
{
    // Values coded in the result's own header (its other bytes the first
    // image's), each the byte of the nearest value, of two as near the
    // lower; those beyond the bytes take the nearest, and are counted.
    // n1.ida and n2.ida hold a's and c2's bytes under a falling law,
    // slope.ida a's under another, far.ida and far2.ida a billion higher.
    const auto bytes = [](std::initializer_list<unsigned char> list) {
        return std::string(list.begin(), list.end());
    };
    const auto twelve = [](const char *pixels) { return std::string(pixels, 12); };
    // Trends beyond the bytes either way: big's bytes as changes from
    // zero's, and as changes to zero's.
    std::string rising, falling;
    for (const char byte : big_pixels()) {
        rising.push_back(static_cast<char>(std::min(128 + uint8_t(byte), 254)));
        falling.push_back(static_cast<char>(std::max(128 - uint8_t(byte), 0)));
    }
    const struct {
        const char *args;
        double slope, intercept;
        std::string pixels, err = "";
    } cases[] = {
        // a.ida's values less or as a percentage of the normal's, 255 where
        // either has no valid pixel or a percentage's normal is 0.
        {"anomaly a.ida --normal c2.ida", 0.5, -64,
         bytes({123, 129, 255, 255, 128, 124, 128, 135, 255, 128, 127, 255})},
        {"anomaly n1.ida --normal n2.ida", 0.5, -64,
         bytes({133, 127, 255, 255, 128, 132, 128, 121, 255, 128, 129, 255})},
        {"anomaly a.ida --normal slope.ida", 0.5, -64,
         bytes({128, 128, 129, 255, 130, 130, 131, 131, 132, 132, 133, 255})},
        {"anomaly a.ida --normal c2zero.ida --percent", 1, 0,
         bytes({133, 255, 255, 255, 100, 136, 100, 65, 255, 100, 111, 255})},
        {"anomaly a.ida --normal c2.ida --slope 1 --intercept -5", 1, -5,
         bytes({2, 5, 255, 255, 5, 3, 5, 8, 255, 5, 4, 255})},
        {"anomaly a.ida --normal c2.ida --slope -1 --intercept 5", -1, 5,
         bytes({8, 5, 255, 255, 5, 7, 5, 2, 255, 5, 6, 255})},
        // Missing code 0: 255 is a value, whose departure of 126 (and from
        // a normal of 255, of -126) lies beyond the bytes.
        {"anomaly small.ida --normal small2.ida", 0.5, -64, bytes({255, 130, 254, 134, 128, 142}),
         "quorvex: x.ida: 1 departure lies beyond the values its bytes hold (-64 to 63) and took "
         "the nearest of them\n"},
        {"anomaly small2.ida --normal small.ida", 0.5, -64, bytes({255, 126, 0, 122, 128, 114}),
         "quorvex: x.ida: 1 departure lies beyond the values its bytes hold (-64 to 63) and took "
         "the nearest of them\n"},
        // Type 12 codes its values in the tables, its missing code 0 and
        // cloud code 1.
        // A normal of another type on the same grid.
        {"anomaly a12.ida --normal a.ida --tables t.txt", 2, -256,
         bytes({255, 255, 135, 255, 136, 137, 138, 139, 139, 140, 141, 255})},
        {"anomaly --tables t.txt g.ida --normal g.ida", 2, -256,
         bytes({255, 255}) + std::string(41 * 41 - 2, '\x80')},
        {"anomaly big.ida --normal big.ida", 0.5, -64, std::string(300 * 300, '\x80')},
        // In sd.ida's standard deviations, 255 where it has none or one of
        // 0; a departure of -1/64 halfway between two bytes, one of 14
        // beyond them.
        {"anomaly a.ida --normal c2.ida --stddev sd.ida", 1.0 / 32, -4,
         bytes({48, 160, 255, 255, 255, 255, 128, 254, 255, 128, 127, 255}),
         "quorvex: x.ida: 1 departure lies beyond the values its bytes hold (-4 to 3.9375) and "
         "took the nearest of them\n"},
        // Where a's value lies between the years' lowest and highest, in
        // percent: 255 where any has no valid pixel or the highest is not
        // above the lowest; 12.5 halfway between two bytes, 114 above the
        // highest, -25 beyond the bytes.
        {"anomaly a.ida --lowest lo.ida --highest hi.ida", 1, 0,
         bytes({0, 20, 33, 255, 255, 50, 12, 67, 255, 255, 114, 255}),
         "quorvex: x.ida: 1 departure lies beyond the values its bytes hold (0 to 254) and took "
         "the nearest of them\n"},
        // The highest of another coding, whose byte 0 stands for 0.
        {"anomaly a.ida --lowest lo.ida --highest sd.ida", 1, 0,
         bytes({0, 5, 9, 255, 255, 21, 6, 23, 255, 0, 10, 255}),
         "quorvex: x.ida: 1 departure lies beyond the values its bytes hold (0 to 254) and took "
         "the nearest of them\n"},
        // The number of valid pixels at each place, one a byte.  The
        // standard deviation at half the images' step: of two values half
        // their difference, under a rising law, a falling one and one far
        // from 0; 255 where no image has a valid pixel, whatever the first
        // one's byte (a12's missing 0 and cloud 1); over more than one
        // piece, big's bytes themselves; under a law without a missing code
        // (type 13, 1 a byte), the 255 and 0 of one place 127.5 apart.
        {"composite --count a.ida c2.ida", 1, 0, twelve("\2\2\1\1\2\2\2\2\1\2\2\0")},
        {"composite --stddev a.ida c2.ida", 0.25, 0, twelve("\5\1\0\0\0\4\0\7\0\0\1\xff")},
        {"composite --stddev n1.ida n2.ida", 0.25, 0, twelve("\5\1\0\0\0\4\0\7\0\0\1\xff")},
        {"composite --stddev far.ida far2.ida", 0.25, 0, twelve("\5\1\0\0\0\4\0\7\0\0\1\xff")},
        {"composite --stddev a12.ida a12.ida --tables t.txt", 1, 0,
         twelve("\xff\xff\0\0\0\0\0\0\0\0\0\0")},
        {"composite --stddev big.ida zero.ida", 0.25, 0, big_pixels()},
        {"composite --stddev --tables t.txt tall13b.ida top13.ida", 0.5, 0,
         "\xfe" + std::string(79, '\1'),
         "quorvex: x.ida: 1 standard deviation lies beyond the values its bytes hold (0 to 127) "
         "and took the nearest of them\n"},
        // The trend, the slope of the least-squares line through a place's
        // values against the images' order, at the images' step over a
        // power of two (a, c2: 0.5 a byte, 0 at byte 128), 255 where fewer
        // than two values are; the images are numbered in the order given,
        // the missing ones too: of four, a place with values at 0, 2 and 3,
        // one at 2 and 3 alone.
        {"composite --trend a.ida c2.ida", 0.5, -64,
         twelve("\x85\x7f\xff\xff\x80\x84\x80\x79\xff\x80\x81\xff")},
        {"composite --trend n1.ida n2.ida", 0.5, -64,
         twelve("\x7b\x81\xff\xff\x80\x7c\x80\x87\xff\x80\x7f\xff")},
        {"composite --trend far.ida far2.ida", 0.5, -64,
         twelve("\x85\x7f\xff\xff\x80\x84\x80\x79\xff\x80\x81\xff")},
        {"composite --trend a.ida c2.ida hi.ida lo.ida", 0.125, -16,
         twelve("\x81\x81\x7f\x7a\x80\x7b\x82\x7f\x82\x80\x76\x5c")},
        {"composite --trend a.ida c2.ida --slope 0.25", 0.25, -32,
         twelve("\x8a\x7e\xff\xff\x80\x88\x80\x72\xff\x80\x82\xff")},
        {"composite --trend zero.ida big.ida", 0.5, -64, rising,
         "quorvex: x.ida: 44280 trends lie beyond the values its bytes hold (-64 to 63) and took "
         "the nearest of them\n"},
        {"composite --trend big.ida zero.ida", 0.5, -64, falling,
         "quorvex: x.ida: 43560 trends lie beyond the values its bytes hold (-64 to 63) and took "
         "the nearest of them\n"},
        // The sum where every image has a valid pixel, from twice the
        // lowest value at twice the step (a, c2: -20, 1 a byte; under a
        // falling law its lowest is byte 254's), or under a law given.
        {"composite --sum a.ida c2.ida", 1, -20, twelve("\2\0\xff\xff\4\7\6\3\xff\x09\x0a\xff")},
        {"composite --sum n1.ida n2.ida", 1, -274,
         twelve("\xfb\xfd\xff\xff\xfa\xf7\xf8\xfa\xff\xf5\xf3\xff")},
        {"composite --sum a.ida c2.ida --slope 0.25 --intercept -20", 0.25, -20,
         twelve("\x0a\2\xff\xff\x10\x1c\x18\x0e\xff\x24\x2a\xff")},
    };
    for (const auto &c : cases) {
        const std::string args = std::string(c.args) + " -o x.ida";
        const Outcome &r = run(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.err, c.err) << args;
        const std::string first =
            std::string(c.args).substr(0, std::string(c.args).find(".ida") + 4);
        EXPECT_EQ(read(dir / "x.ida"),
                  coded_header(first.substr(first.rfind(' ') + 1), c.slope, c.intercept) + c.pixels)
            << args;
    }
}

TEST_F(Program, WarpPutsTheImageOnTheGrid)
{
    // The pixels of a warp; its header must be the source's with the grid's
    // projection, size, centre, scale and parallels.
    const auto warp = [&](const std::string &source, const std::string &grid,
                          const std::string &options = "") {
        const std::string args = "warp " + options + source + " --grid " + grid + " -o w.ida";
        EXPECT_EQ(run(args).status, 0) << args;
        const std::string first = source.substr(0, source.find(' '));
        std::string header = read(dir / first).substr(0, QUORVEX_HEADER_SIZE);
        for (const auto &[at, size] : {std::pair(23, 1), {30, 4}, {120, 48}})
            header.replace(at, size, read(dir / grid).substr(at, size));
        const std::string warped = read(dir / "w.ida");
        EXPECT_EQ(warped.substr(0, QUORVEX_HEADER_SIZE), header) << args;
        return warped.substr(QUORVEX_HEADER_SIZE);
    };
    EXPECT_EQ(warp("world.ida", "world.ida"), read(dir / "world.ida").substr(QUORVEX_HEADER_SIZE));
    EXPECT_EQ(warp("tall13.ida", "tall13.ida", "--tables t.txt "),
              read(dir / "tall13.ida").substr(QUORVEX_HEADER_SIZE));
    EXPECT_EQ(warp("a.ida", "shifted.ida"),
              std::string("\xff\0\1\2\xff\4\5\6\xff\x08\x09\x0a", 12));
    // Onto a coarser grid, the statistic of the valid pixels falling in each
    // pixel (a's 3 is missing), the mean of 0, 1, 4 and 5 between bytes 2
    // and 3 taking the lower, as their median does; the median of 2, 6 and
    // 7 is 6; the third column has none.
    EXPECT_EQ(warp("a.ida", "half.ida", "--mean "), "\2\5\xff\x08\x0a\xff");
    EXPECT_EQ(warp("a.ida", "half.ida", "--median "), "\2\6\xff\x08\x0a\xff");
    EXPECT_EQ(warp("a.ida", "half.ida", "--max "), "\5\7\xff\x09\x0a\xff");
    EXPECT_EQ(warp("a.ida", "half.ida", "--min "), std::string("\0\2\xff\x08\x0a\xff", 6));
    // Of several images, the first valid pixel at each place, else the
    // first byte there (a's missing 3 fills what shifted leaves); onto the
    // coarser grid, the statistic of both images' valid pixels.
    EXPECT_EQ(warp("shifted.ida a.ida", "a.ida"), "\1\2\2\xff\5\6\7\7\x09\x0a\x0a\xff");
    EXPECT_EQ(warp("a.ida shifted.ida", "half.ida", "--max "), "\6\7\xff\x0a\x0a\xff");
    EXPECT_EQ(warp("a.ida shifted.ida", "half.ida", "--mean "), "\3\5\xff\x09\x0a\xff");
    // 300 lines shared out between processes: a's grid takes big's corner,
    // low's its last lines.
    const std::string big = big_pixels();
    for (const char *statistic : {"--max ", "--median "}) {
        EXPECT_EQ(warp("big.ida", "a.ida", statistic),
                  big.substr(0, 4) + big.substr(300, 4) + big.substr(600, 4));
        EXPECT_EQ(warp("big.ida", "low.ida", statistic),
                  big.substr(89100, 4) + big.substr(89400, 4) + big.substr(89700, 4));
    }
    // More pixels than a statistic keeps the grid pixels of at a time
    // (129 x 32767): the grids of its first and last lines take them from
    // the first band and the second.
    Image tall;
    tall.columns = 129, tall.rows = 32767, tall.dx = tall.dy = 2000;
    tall.pixels.resize(std::size_t(tall.columns) * std::size_t(tall.rows));
    for (std::size_t k = 0; k < tall.pixels.size(); ++k)
        tall.pixels[k] = static_cast<char>(k * 7 % 250);
    std::ofstream(dir / "tall.ida", std::ios::binary) << tall.bytes();
    for (const int first : {0, tall.rows - 3}) {
        Image grid;
        grid.dx = grid.dy = tall.dx, grid.y_center = 1 - first;
        const std::string name = "tall" + std::to_string(first) + ".ida";
        std::ofstream(dir / name, std::ios::binary) << grid.bytes();
        std::string corner;
        for (int y = first; y < first + 3; ++y)
            corner += tall.pixels.substr(std::size_t(y) * 129, 4);
        EXPECT_EQ(warp("tall.ida", name, "--max "), corner) << first;
    }
    // A file's columns, and its pixel k as point --pixel takes it.
    const auto columns_of = [&](const std::string &file) {
        const std::string h = read(dir / file);
        return std::size_t(size_of(h).first);
    };
    const auto pixel_of = [&](const std::string &file, std::size_t k) {
        return std::to_string(k % columns_of(file)) + "," + std::to_string(k / columns_of(file));
    };
    // Elsewhere each pixel is the source's pixel at the place of its centre
    // as point finds them, or the source's missing code.
    const struct {
        const char *source, *grid;
    } oracle_cases[] = {{"world.ida", "glaea.ida"},
                        {"world.ida", "hammer.ida"},
                        {"glaea.ida", "coarse.ida"},
                        {"world.ida", "geo.ida"},
                        {"glaea.ida", "glaea.ida"}};
    for (const auto &[source, grid] : oracle_cases) {
        const std::string pixels = warp(source, grid);
        int taken = 0;
        for (std::size_t k = 0; k < pixels.size(); ++k) {
            const std::string pixel = pixel_of(grid, k);
            const std::string at = place_of(grid, pixel);
            int byte = 255;
            if (!at.empty()) {
                const Json there = Json::parse(run("point --json --at " + at + " " + source).out);
                byte = there["byte"].is_null() ? 255 : there["byte"].get<int>();
            }
            EXPECT_EQ(uint8_t(pixels[k]), byte) << grid << " pixel " << pixel;
            taken += byte != 255;
        }
        EXPECT_GT(taken, int(pixels.size()) / 2) << grid;
    }
    // With a statistic, each pixel the largest, mean, smallest or median valid byte
    // of the source's pixels whose places (as point finds them) fall in it
    // (as point finds it), else the nearest pixel: from the azimuthal image
    // (lines starting beyond its circle), and from the plate carree of 720
    // degrees (two pixels at each place; line 3 meets the antipode of
    // glaea's centre twice) onto the azimuthal and the Hammer-Aitoff grids;
    // and from both and a second azimuthal image (another centre), each in
    // its own projection, as one.
    const struct {
        const char *sources, *grid;
    } statistic_cases[] = {{"glaea.ida", "world.ida"},
                           {"coarse.ida", "glaea.ida"},
                           {"coarse.ida", "hammer.ida"},
                           {"glaea.ida laea.ida coarse.ida", "world.ida"}};
    for (const auto &[sources, grid] : statistic_cases) {
        std::map<std::size_t, std::vector<int>> falling; // grid pixel: source bytes
        std::istringstream names(sources);
        for (std::string source; names >> source;) {
            const std::string bytes = read(dir / source).substr(QUORVEX_HEADER_SIZE);
            for (std::size_t k = 0; k < bytes.size(); ++k) {
                const std::string at = place_of(source, pixel_of(source, k));
                if (at.empty() || uint8_t(bytes[k]) == 255)
                    continue;
                const Json there = Json::parse(run("point --json --at " + at + " " + grid).out);
                if (!there["column"].is_null())
                    falling[there["line"].get<std::size_t>() * columns_of(grid) +
                            there["column"].get<std::size_t>()]
                        .push_back(uint8_t(bytes[k]));
            }
        }
        const std::string nearest = warp(sources, grid);
        std::string largest = nearest, mean = nearest, smallest = nearest, median = nearest;
        const auto nearest_byte = [](double m) { return char(uint8_t(std::ceil(m - 0.5))); };
        for (auto &[k, fallen] : falling) {
            std::sort(fallen.begin(), fallen.end());
            largest[k] = char(fallen.back());
            smallest[k] = char(fallen.front());
            mean[k] = nearest_byte(std::accumulate(fallen.begin(), fallen.end(), 0.0) /
                                   double(fallen.size()));
            const std::size_t half = fallen.size() / 2;
            median[k] = nearest_byte((fallen[(fallen.size() - 1) / 2] + fallen[half]) / 2.0);
        }
        EXPECT_EQ(warp(sources, grid, "--max "), largest) << grid;
        EXPECT_EQ(warp(sources, grid, "--mean "), mean) << grid;
        EXPECT_EQ(warp(sources, grid, "--min "), smallest) << grid;
        EXPECT_EQ(warp(sources, grid, "--median "), median) << grid;
        EXPECT_GT(falling.size(), 25u) << grid;
    }
}

TEST_F(Program, RegionTakesThePixelsInAnArea)
{
    // big's columns 10 to 27 (10.8 to 12.5 E, across bytes of the area's
    // bits) of lines 11 to 21 (44.5 to 44 N) but a hole of columns 15 to 20
    // of lines 15 to 17; all valid, their values 0.5 * byte - 10.
    std::ofstream(dir / "holed.geojson") << R"({"type": "Polygon", "coordinates": [
        [[10.75, 43.975], [12.55, 43.975], [12.55, 44.525], [10.75, 44.525]],
        [[11.25, 44.175], [11.85, 44.175], [11.85, 44.325], [11.25, 44.325]]]})";
    const std::string big = read(dir / "big.ida");
    std::vector<double> values;
    for (int y = 11; y <= 21; ++y)
        for (int x = 10; x <= 27; ++x)
            if (y < 15 || y > 17 || x < 15 || x > 20)
                values.push_back(
                    0.5 * uint8_t(big[QUORVEX_HEADER_SIZE + std::size_t(y * 300 + x)]) - 10);
    std::sort(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / 180;
    double squares = 0;
    for (double v : values)
        squares += (v - mean) * (v - mean);
    const Json r = Json::parse(run("region --json --areas holed.geojson big.ida").out);
    EXPECT_EQ(r["pixels"], (Json{{"count", 180}, {"valid", 180}, {"missing", 0}, {"special", 0}}));
    EXPECT_TRUE(holds(r["statistics"], {{"minimum", values.front()},
                                        {"maximum", values.back()},
                                        {"mean", mean},
                                        {"median", (values[89] + values[90]) / 2},
                                        {"stddev", std::sqrt(squares / 180)}}))
        << r;
    // On the azimuthal grid, whose lines run across latitudes (its first
    // lines' first pixels lie south of the area), the pixels whose places,
    // as point finds them, lie in an area.
    std::ofstream(dir / "band.geojson") << R"({"type": "Polygon", "coordinates":
        [[[-170, 20], [-10, 20], [-10, 90], [-170, 90]]]})";
    int inside = 0;
    for (int k = 0; k < 45; ++k) {
        double lon, lat;
        const std::string at =
            place_of("glaea.ida", std::to_string(k % 9) + "," + std::to_string(k / 9));
        inside += std::sscanf(at.c_str(), "%lf,%lf", &lon, &lat) == 2 && lon > -170 && lon < -10 &&
                  lat > 20;
    }
    const Json g = Json::parse(run("region --json --areas band.geojson glaea.ida").out);
    EXPECT_EQ(g["pixels"]["count"], inside);
    EXPECT_EQ(inside, 8);
}

TEST_F(Program, CropKeepsEveryPixelWhereItWas)
{
    const auto crop = [&](const std::string &args) {
        EXPECT_EQ(run("crop " + args + " -o k.ida").status, 0) << args;
        const std::string k = read(dir / "k.ida");
        return std::tuple(size_of(k).first, size_of(k).second, k.substr(QUORVEX_HEADER_SIZE));
    };
    // The header is the image's with the window's size, and its reference
    // pixel moved by the window's corner.
    Image window;
    window.rows = 2, window.columns = 1, window.x_center = -1, window.y_center = 0;
    window.pixels = "\7\xff";
    crop("a.ida --pixels 3,1,1,2");
    EXPECT_EQ(read(dir / "k.ida"), window.bytes());
    // The pixels of a window of an image, its upper left pixel first.
    const auto pixels_of = [&](const std::string &file, int column, int line, int width,
                               int height) {
        const std::string f = read(dir / file);
        const int columns = size_of(f).first;
        std::string pixels;
        for (int y = line; y < line + height; ++y)
            pixels += f.substr(QUORVEX_HEADER_SIZE + std::size_t(y * columns + column),
                               std::size_t(width));
        return std::tuple(width, height, pixels);
    };
    // World's 10-degree pixels centred from 175 W to 175 E and from 85 N to
    // 85 S: the box takes 25 W to 35 E, 25 N to 15 S; across the 180th
    // meridian, 175 E and 175 W of the two lines at 5 N and 5 S, so every
    // column of them.
    EXPECT_EQ(crop("world.ida --box -30,-20,40,30"), pixels_of("world.ida", 15, 6, 7, 5));
    EXPECT_EQ(place_of("k.ida", "0,0"), place_of("world.ida", "15,6"));
    EXPECT_EQ(crop("world.ida --box 170,-6,-170,6"), pixels_of("world.ida", 0, 8, 36, 2));
    EXPECT_EQ(crop("world.ida --box -180,80,180,90"), pixels_of("world.ida", 0, 0, 36, 1));
    // coarse's columns 6 and 18 lie at 180 W and 180 E, 0 and 23 at 0.
    EXPECT_EQ(crop("coarse.ida --box 170,-6,-170,6"), pixels_of("coarse.ida", 6, 3, 13, 1));
    // A box's edges belong to it: a's line 1 lies at 45 N, its column 2 at
    // 10 E.
    EXPECT_EQ(crop("a.ida --box 0,45,10,45"), pixels_of("a.ida", 0, 1, 3, 1));
    EXPECT_EQ(crop("a.ida --box 0,40,20,50"), pixels_of("a.ida", 0, 0, 4, 3));
    EXPECT_EQ(crop("big.ida --pixels 10,5,290,200"), pixels_of("big.ida", 10, 5, 290, 200));
    // Lines 100 to 199, columns 50 to 99 of big, a's grid at 300 lines,
    // which two processes search.
    EXPECT_EQ(crop("big.ida --box 14.75,35.075,19.75,40.075"),
              pixels_of("big.ida", 50, 100, 50, 100));
    // On the azimuthal image, whose lines start beyond its circle, the
    // window of the pixels whose places, as point finds them, lie in the box.
    int left = 9, right = -1, top = 5, bottom = -1;
    for (int line = 0; line < 5; ++line)
        for (int column = 0; column < 9; ++column) {
            const std::string at =
                place_of("glaea.ida", std::to_string(column) + "," + std::to_string(line));
            double lon, lat;
            if (std::sscanf(at.c_str(), "%lf,%lf", &lon, &lat) == 2 && lon >= -150 && lon <= -30 &&
                lat >= -40 && lat <= 40) {
                left = std::min(left, column), right = std::max(right, column);
                top = std::min(top, line), bottom = std::max(bottom, line);
            }
        }
    ASSERT_GE(right, left);
    EXPECT_EQ(crop("glaea.ida --box -150,-40,-30,40"),
              pixels_of("glaea.ida", left, top, right - left + 1, bottom - top + 1));
}

TEST_F(Program, InfoReportsHeaderDescriptionStatisticsAndPositions)
{
    const struct {
        const char *args, *report;
    } cases[] = {
        // Plate carree (no parallels) at 10 and 20 pixels per degree around
        // (45 N, 10 E) at pixel (2, 1); bytes 0-2 and 4-10 valid: 0.5 x byte - 10.
        {"a.ida", R"({"header": {"ImageType": 200, "Projection": 3, "Height": 3, "WIDz": 4,
            "Title": "Test 4x3", "LatCenter": 45, "LongCenter": 10, "xcenter": 2, "ycenter": 1,
            "dx": 10, "dy": 20, "Parallel1": 30, "Parallel2": 60, "Lower": 1, "Upper": 250,
            "Missing": 255, "m": 0.5, "b": -10, "Decimals": 2},
          "description": {"status": 100, "par1": null, "par2": null, "missingcodes": [255],
                          "sp1": null, "sp2": null, "ida_type_label": "Coding in the header"},
          "law": {"slope": 0.5, "intercept": -10},
          "pixels": {"count": 12, "valid": 10, "missing": 2, "special": 0},
          "statistics": {"minimum": -10, "maximum": -5, "mean": -7.4},
          "corners": {
            "upper_left": {"column": 0, "line": 0, "position": {"longitude": 9.8, "latitude": 45.05}},
            "upper_right": {"column": 3, "line": 0}, "lower_left": {"column": 0, "line": 2},
            "lower_right": {"column": 3, "line": 2, "position": {"longitude": 10.1, "latitude": 44.95}},
            "centre": {"column": 2, "line": 1, "position": {"longitude": 10, "latitude": 45}}}})"},
        // 20 degrees of scan angle look past the Earth's disc.
        {"--tables t.txt g.ida", R"({"description": {"ida_type_label": "Twelve",
            "projection": {"name": "Geo"}, "cloudcodes": [1]},
          "pixels": {"count": 1681, "valid": 1679, "missing": 1, "special": 1},
          "header": {"Title": "Geo?view?"},
          "statistics": {"minimum": 5, "maximum": 7, "mean": 6.998808814770697},
          "corners": {"upper_left": {"position": null}}})"},
        {"type7.ida", R"({"law": null, "description": {"status": 31, "message":
            "File <type7.ida>:  File <type7.ida>: Ida Type <7> unknown.\n Please update file <IDATYPES.DAT>."}})"},
        {"p10.ida", R"({"description": {"status": 16, "rows": null, "lat_center": null,
            "message": "File <p10.ida>:  Projection <10> unknown."}})"},
        // a's bytes under a falling law: the lowest value is the highest byte.
        {"n1.ida", R"({"statistics": {"minimum": -15, "maximum": -10, "mean": -12.6,
            "median": -12.75, "stddev": 1.62480768092719}})"},
    };
    for (const auto &c : cases) {
        std::string args = c.args;
        args.insert(args.rfind(' ') + 1, "info --json ");
        const Json got = Json::parse(run(args).out);
        EXPECT_TRUE(holds(got, Json::parse(c.report))) << args << "\n" << got.dump(1);
    }
}

TEST_F(Program, RenderColoursEachPixelByItsClassOrTheRamp)
{
    // Premultiplied ARGB as cairo reads it back.  The legend's swatches
    // stand at (3 + 8, 8 + 20 k) beside small.ida, 14 pixels wide, its texts
    // to their right.  Pictures of at most 256 colours are written with a
    // palette (PNG colour type 3), others as RGBA (6).
    const struct {
        const char *args;
        int width, height;  // width 0: wider than the image and a 40-pixel panel
        const char *pixels; // "line column ARGB", the colour in hexadecimal
        int colour_type;
    } renders[] = {
        // Byte 9 lies in two classes and takes the first; 255 lies in none;
        // 0 is missing.
        {"small.ida --colours c.clr -o c.png", 3, 2,
         "0 0 0 0 1 ff00ff00 0 2 0 1 0 ff00ff00 1 1 ffff0000 1 2 ff0000ff", 3},
        // The ramp's first stop at the lowest value, its last at the highest.
        {"small.ida -o r.png", 3, 2, "1 1 ff440154 0 2 fffde725 0 0 0", 3},
        {"small.ida --colours c.clr --legend -o l.png", 0, 2 * 8 + 3 * 20,
         "0 0 0 2 5 ffffffff 15 18 ffff0000 35 18 ff00ff00 55 18 ff0000ff", 3},
        // The ramp's six values: the lowest first, the fourth between its
        // third and fourth stops.
        {"small.ida --legend -o rl.png", 0, 2 * 8 + 6 * 20, "15 18 ff440154 75 18 ff39a77b", 3},
        // One value: the ramp's middle.
        {"small2.ida -o one.png", 3, 2, "0 1 ff21918c", 3},
        // About -5.5 (byte 9): white there, the far end at 117.5 (byte
        // 255) and -8.5 (byte 3) near white; about 100, -8.5 is the near
        // end and -5.5 a step from it.  Five values, one at each stop.
        {"small.ida --diverge-at -5.5 -o d.png", 3, 2,
         "0 0 0 1 0 fff5f5f5 0 2 ff018571 1 1 fff4f3ef", 3},
        {"small.ida --diverge-at 100 -o d100.png", 3, 2, "1 1 ffa6611a 1 0 ffa9661f", 3},
        {"small.ida --diverge-at -5.5 --legend -o dl.png", 0, 2 * 8 + 5 * 20,
         "15 18 ffa6611a 35 18 ffdfc27d 55 18 fff5f5f5 75 18 ff80cdc1 95 18 ff018571", 3},
        // Bytes 0 to 254 along the ramp, 255 missing.
        {"many.ida --legend -o m.png", 0, 2 * 8 + 6 * 20,
         "0 0 ff440154 15 14 fffde725 15 15 0 16 0 0 2 20 ffffffff", 6},
    };
    for (const auto &r : renders) {
        const std::string args = r.args;
        EXPECT_EQ(run("render " + args).status, 0) << args;
        const std::string png = (dir / args.substr(args.rfind(' ') + 1)).string();
        cairo_surface_t *s = cairo_image_surface_create_from_png(png.c_str());
        const int width = cairo_image_surface_get_width(s);
        const int height = cairo_image_surface_get_height(s);
        const auto *data = reinterpret_cast<const uint32_t *>(cairo_image_surface_get_data(s));
        const auto at = [&](uint32_t line, uint32_t column) {
            return line < uint32_t(height) && column < uint32_t(width)
                       ? data[line * uint32_t(cairo_image_surface_get_stride(s)) / 4 + column]
                       : 1u;
        };
        EXPECT_TRUE(r.width ? width == r.width : width > 3 + 40) << args << " " << width;
        EXPECT_EQ(height, r.height) << args;
        std::istringstream pixels(r.pixels);
        for (uint32_t line, column, argb; pixels >> std::dec >> line >> column >> std::hex >> argb;)
            EXPECT_EQ(at(line, column), argb) << args << " " << line << " " << column;
        int dark = 0;
        for (uint32_t y = 0; y < uint32_t(height); ++y)
            for (uint32_t x = 3 + 8 + 14 + 2; x < uint32_t(width); ++x)
                dark += (at(y, x) >> 24) == 0xff && (at(y, x) & 0xff) < 0x40 &&
                        (at(y, x) >> 8 & 0xff) < 0x40;
        EXPECT_EQ(dark > 30, r.width == 0) << args << ": legend text";
        EXPECT_EQ(read(png).substr(25, 1), std::string(1, char(r.colour_type))) << args;
        cairo_surface_destroy(s);
    }
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(dir / "c.png").permissions(), fs::perms(0666 & ~mask));
}

} // namespace
