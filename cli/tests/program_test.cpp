// The quorvex program run as a user runs it, on small generated images:
// reported values, the check's verdict, rendered pixels decoded back, and
// every kind of bad input.
#include "quorvex/quorvex.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

// A header with the fields the tests vary; plate carree, type 200 by default.
struct Image {
    int type = 200, projection = 3, rows = 3, columns = 4;
    double lat = 45, lon = 10, x_center = 2, y_center = 1, dx = 10, dy = 20;
    int upper = 250, missing = 255;
    double slope = 0.5, intercept = -10;
    std::string pixels = std::string("\0\1\2\xff\4\5\6\7\x08\x09\x0a\xff", 12);

    std::string bytes() const
    {
        std::string h(512, '\0');
        unsigned char *u = reinterpret_cast<unsigned char *>(h.data());
        u[22] = static_cast<unsigned char>(type);
        u[23] = static_cast<unsigned char>(projection);
        u[30] = static_cast<unsigned char>(rows), u[31] = static_cast<unsigned char>(rows >> 8);
        u[32] = static_cast<unsigned char>(columns), u[33] = static_cast<unsigned char>(columns >> 8);
        h.replace(38, 9, "Test 4x3 ");
        const std::pair<int, double> reals[] = {{120, lat}, {126, lon}, {132, x_center},
                                                {138, y_center}, {144, dx}, {150, dy}, {156, 30},
                                                {162, 60}, {171, slope}, {177, intercept}};
        for (const auto &r : reals)
            _DoubleCtoRealPascal(u + r.first, r.second);
        u[168] = 1, u[183] = 2;
        u[169] = static_cast<unsigned char>(upper);
        u[170] = static_cast<unsigned char>(missing);
        return h + pixels;
    }
};

struct Outcome {
    int status;
    std::string out, err;
};

class Program : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   ("quorvex-cli-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());

    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string &name, const std::string &bytes)
    {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return name;
    }

    static std::string read(const fs::path &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    Outcome run(const std::string &args)
    {
        const std::string command = "cd '" + dir.string() + "' && '" QUORVEX_PROGRAM "' " +
                                    args + " >stdout.txt 2>stderr.txt";
        const int status = std::system(command.c_str());
        Outcome r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, read(dir / "stdout.txt"),
              read(dir / "stderr.txt")};
        fs::remove(dir / "stdout.txt");
        fs::remove(dir / "stderr.txt");
        return r;
    }

    // The PNG's pixels as cairo reads them back: premultiplied ARGB.
    std::vector<std::vector<uint32_t>> decode(const std::string &name)
    {
        cairo_surface_t *s = cairo_image_surface_create_from_png((dir / name).c_str());
        EXPECT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        std::vector<std::vector<uint32_t>> rows(h, std::vector<uint32_t>(w));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                rows[y][x] = reinterpret_cast<const uint32_t *>(
                    cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s))[x];
        cairo_surface_destroy(s);
        return rows;
    }
};

TEST_F(Program, InfoReportsHeaderDescriptionStatisticsAndCorners)
{
    write("a.ida", Image().bytes());
    const Outcome r = run("info --json a.ida");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["header"], Json::parse(R"({"ImageType": 200, "Projection": 3, "Height": 3,
        "WIDz": 4, "Title": "Test 4x3", "LatCenter": 45.0, "LongCenter": 10.0, "xcenter": 2.0,
        "ycenter": 1.0, "dx": 10.0, "dy": 20.0, "Parallel1": 30.0, "Parallel2": 60.0, "Lower": 1,
        "Upper": 250, "Missing": 255, "m": 0.5, "b": -10.0, "Decimals": 2})"));
    EXPECT_EQ(j["description"]["status"], 100);
    EXPECT_TRUE(j["description"]["par1"].is_null()); // plate carree has no parallels
    EXPECT_EQ(j["description"]["missingcodes"], Json::array({255}));
    EXPECT_EQ(j["description"]["ida_type_label"], "Coding in the header");
    EXPECT_EQ(j["law"]["slope"], 0.5);
    EXPECT_EQ(j["pixels"], Json::parse(R"({"count":12,"valid":10,"missing":2,"special":0})"));
    // Bytes 0-2 and 4-10: 0.5 x byte - 10.
    EXPECT_EQ(j["statistics"]["minimum"], -10.0);
    EXPECT_EQ(j["statistics"]["maximum"], -5.0);
    EXPECT_DOUBLE_EQ(j["statistics"]["mean"].get<double>(), 0.5 * 52 / 10 - 10);
    // Plate carree at 10 and 20 pixels per degree around (45 N, 10 E) at pixel (2, 1).
    const struct {
        const char *corner;
        int column, line;
        double lon, lat;
    } corners[] = {{"upper_left", 0, 0, 9.8, 45.05},
                   {"lower_right", 3, 2, 10.1, 44.95},
                   {"centre", 2, 1, 10.0, 45.0}};
    for (const auto &c : corners) {
        const Json &p = j["corners"][c.corner];
        EXPECT_EQ(p["column"], c.column);
        EXPECT_EQ(p["line"], c.line);
        EXPECT_NEAR(p["position"]["longitude"].get<double>(), c.lon, 1e-9) << c.corner;
        EXPECT_NEAR(p["position"]["latitude"].get<double>(), c.lat, 1e-9) << c.corner;
    }
    const Outcome text = run("info a.ida");
    for (const char *line : {"\n  Height: 3\n", "\n  Title: Test 4x3\n",
                             "\npixels: count 12, valid 10, missing 2, special 0\n",
                             "\nstatistics: minimum -10, maximum -5, mean -7.4\n",
                             "\n    position: longitude 9.8, latitude 45.05\n"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
}

TEST_F(Program, InfoWithTheUsersTablesAndPixelsWithoutAPosition)
{
    write("t.txt", "idatype code=12 label=\"Twelve\" missingcodes=0 cloudcodes=1 slope=2 intercept=1\n"
                   "projection code=5 name=Geo\n");
    Image geo;   // geostationary view, 1 pixel per degree of scan angle
    geo.type = 12, geo.projection = 5, geo.rows = geo.columns = 41;
    geo.lat = geo.lon = 0, geo.x_center = geo.y_center = 20, geo.dx = geo.dy = 1;
    geo.pixels = std::string("\0\1\2", 3) + std::string(41 * 41 - 3, '\3');
    write("g.ida", geo.bytes());
    const Outcome r = run("--tables t.txt info --json g.ida");
    ASSERT_EQ(r.status, 0) << r.err;
    const Json j = Json::parse(r.out);
    EXPECT_EQ(j["description"]["ida_type_label"], "Twelve");
    EXPECT_EQ(j["description"]["projection"]["name"], "Geo");
    EXPECT_EQ(j["description"]["cloudcodes"], Json::array({1}));
    EXPECT_EQ(j["pixels"], Json::parse(R"({"count":1681,"valid":1679,"missing":1,"special":1})"));
    EXPECT_EQ(j["statistics"]["minimum"], 5.0);
    EXPECT_EQ(j["statistics"]["maximum"], 7.0);
    // 20 degrees of scan angle look past the Earth's disc.
    EXPECT_TRUE(j["corners"]["upper_left"]["position"].is_null());
    EXPECT_NEAR(j["corners"]["centre"]["position"]["latitude"].get<double>(), 0.0, 1e-9);
    EXPECT_NE(run("--tables t.txt info g.ida").out.find("position: no position"), std::string::npos);
}

TEST_F(Program, CheckGivesTheLibrarysVerdict)
{
    Image other_rows, other_scale;
    other_rows.rows = 2, other_rows.pixels.resize(8);
    other_scale.dx = 10.001;
    write("a.ida", Image().bytes());
    write("b.ida", Image().bytes());
    write("rows.ida", other_rows.bytes());
    write("scale.ida", other_scale.bytes());
    const struct {
        const char *files;
        int status;
        const char *out;
    } cases[] = {{"a.ida b.ida a.ida", 0, "All 3 files agree with a.ida\n"},
                 {"a.ida", 0, "a.ida: a single file, nothing to compare\n"},
                 {"a.ida b.ida rows.ida", 1, "File <rows.ida>:  Input image <rows.ida>: \nnot the same size.\n"},
                 {"a.ida scale.ida", 1, "File <scale.ida>:  Input image <scale.ida>: \nnot the same pixel size.\n"}};
    for (const auto &c : cases) {
        const Outcome r = run(std::string("check ") + c.files);
        EXPECT_EQ(r.status, c.status) << c.files;
        EXPECT_EQ(r.out, c.out);
    }
}

TEST_F(Program, RenderColoursEachPixelByItsClassOrTheRamp)
{
    Image image;
    image.rows = 2, image.columns = 3, image.missing = 0;
    image.pixels = std::string("\0\5\xff\x09\x03\x11", 6);
    write("a.ida", image.bytes());
    write("c.clr", "From To Red Green Blue Legend\r\n"
                   "  0  4  255 0 0   low\r\n\r\n"
                   "  5  9  0 255 0   middle values\r\n"
                   "  9\t20 0 0 255\r\n");
    ASSERT_EQ(run("render a.ida --colours c.clr -o c.png").status, 0);
    // Byte 9 lies in two classes and takes the first; 255 lies in none.
    const std::vector<std::vector<uint32_t>> classes = {{0, 0xff00ff00, 0},
                                                        {0xff00ff00, 0xffff0000, 0xff0000ff}};
    EXPECT_EQ(decode("c.png"), classes);
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_EQ(fs::status(dir / "c.png").permissions(), fs::perms(0666 & ~mask));

    ASSERT_EQ(run("render a.ida -o r.png").status, 0);
    const auto ramp = decode("r.png");
    EXPECT_EQ(ramp[1][1], 0xff440154u); // lowest value: the ramp's first stop
    EXPECT_EQ(ramp[0][2], 0xfffde725u); // highest: its last
    EXPECT_EQ(ramp[0][0], 0u);           // missing

    ASSERT_EQ(run("render a.ida --colours c.clr --legend -o l.png").status, 0);
    const auto legend = decode("l.png");
    ASSERT_GT(legend[0].size(), 3u + 40);
    EXPECT_EQ(legend[0][0], 0u);
    int dark = 0;
    for (const auto &row : legend)
        for (uint32_t p : row)
            dark += (p >> 24) == 0xff && (p & 0xff) < 0x40 && (p >> 8 & 0xff) < 0x40;
    EXPECT_GT(dark, 30) << "no legend text";
    EXPECT_EQ(legend[2][3 + 2], 0xffffffffu); // the panel
    for (int k = 0; k < 3; ++k) // swatch centres
        EXPECT_EQ(legend[8 + 20 * k + 7][3 + 8 + 7], (std::vector<uint32_t>{0xffff0000, 0xff00ff00, 0xff0000ff}[k]));
    ASSERT_EQ(run("render a.ida --legend -o rl.png").status, 0);
    EXPECT_EQ(decode("rl.png")[8 + 7][3 + 8 + 7], 0xff440154u); // the ramp's lowest value first
}

TEST_F(Program, BadInputEndsWithOneLineAndNoHalfFile)
{
    Image negative, empty, type7, projection10, longer;
    negative.rows = -3;
    empty.rows = 0, empty.pixels.clear();
    type7.type = 7;
    projection10.projection = 10;
    longer.pixels.push_back(0);
    write("a.ida", Image().bytes());
    write("short.ida", Image().bytes().substr(0, 100));
    write("longer.ida", longer.bytes());
    write("negative.ida", negative.bytes());
    write("empty.ida", empty.bytes());
    write("type7.ida", type7.bytes());
    write("p10.ida", projection10.bytes());
    write("bad.clr", "0 1 2 3 4\n\n5 6 300 0 0 x\n");
    write("part.clr", "0 1 2x 3 4\n");
    write("t.txt", "projection code=300\n");
    write("out.png", "old");
    fs::create_directory(dir / "folder");
    const struct {
        const char *args;
        int status;
        const char *err;
    } cases[] = {
        {"info none.ida", 1, "none.ida: No such file or directory"},
        {"info short.ida", 1, "short.ida: 100 bytes, shorter than the 512-byte header"},
        {"check a.ida longer.ida", 1, "longer.ida: 525 bytes, but the header's 4 x 3 pixels need 524"},
        {"info negative.ida", 1, "negative.ida: negative image size in the header (4 x -3)"},
        {"render empty.ida -o out.png", 1, "empty.ida: the image has no pixels to draw"},
        {"info type7.ida", 1, "type7.ida: IDA type 7 is not in the tables"},
        {"render p10.ida -o out.png", 1, "p10.ida: projection code 10 is not accepted by the library"},
        {"render a.ida -o none/x.png", 1, "none/x.png: cannot create (No such file or directory)"},
        {"render a.ida -o folder", 1, "folder: cannot write (Is a directory)"},
        {"render a.ida --colours bad.clr -o out.png", 1, "bad.clr:3: Red '300' is not a whole number from 0 to 255"},
        {"render a.ida --colours none.clr -o out.png", 1, "none.clr: No such file or directory"},
        {"render a.ida --colours part.clr -o out.png", 1, "part.clr:1: Red '2x' is not a whole number from 0 to 255"},
        {"--tables t.txt info a.ida", 1, "t.txt:1: bad value '300' for code (0 to 255)"},
        {"", 2, "no command (see quorvex --help)"},
        {"show a.ida", 2, "unknown command 'show' (see quorvex --help)"},
        {"info --legend a.ida", 2, "unknown option '--legend' for info (see quorvex info --help)"},
        {"check", 2, "check needs a FILE (see quorvex check --help)"},
        {"render a.ida", 2, "render takes one FILE and -o OUT.png"},
        {"render a.ida -o", 2, "-o needs a value"},
        {"render a.ida -o ./a.ida", 2, "./a.ida: names an input file (a.ida); name another output"},
        {"render a.ida --colours bad.clr -o bad.clr", 2, "bad.clr: names an input file (bad.clr); name another output"},
    };
    for (const auto &c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args;
        EXPECT_EQ(r.err, std::string("quorvex: ") + c.err + "\n") << c.args;
    }
    EXPECT_EQ(read(dir / "out.png"), "old");
    for (const auto &entry : fs::directory_iterator(dir))
        EXPECT_NE(entry.path().filename().string().rfind(".quorvex-", 0), 0u) << entry.path();
    const Json refused = Json::parse(run("info --json type7.ida").out);
    EXPECT_EQ(refused["description"]["status"], 31);
    EXPECT_EQ(refused["description"]["message"], "File <type7.ida>:  File <type7.ida>: Ida Type <7> "
                                                 "unknown.\n Please update file <IDATYPES.DAT>.");
    EXPECT_TRUE(refused["law"].is_null());
    const Json unaccepted = Json::parse(run("info --json p10.ida").out)["description"];
    EXPECT_EQ(unaccepted["status"], 16);
    EXPECT_EQ(unaccepted["message"], "File <p10.ida>:  Projection <10> unknown.");
    EXPECT_TRUE(unaccepted["rows"].is_null() && unaccepted["lat_center"].is_null());
    EXPECT_EQ(run("render --help").status, 0);
    EXPECT_EQ(run("--version").out, "quorvex 1.0.0\n");
}

} // namespace
