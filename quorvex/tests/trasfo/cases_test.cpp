// The projection engine's cases: every *.cases file of this folder, built
// into the program as text and run line by line.  A line is a directive and
// its numbers ("#" starts a comment; "nan" and "inf" are numbers):
//   image key=value...   a new image (code lon lat par1 par2 a b fe fn dx dy
//                        xc yc; par1, par2 -99999, dx, dy 1, the rest 0
//                        unless given), prepared through block=0|1 (default
//                        0) unless init=no
//   tolerance V px|deg   bound of the image-side (pixels) or geographic
//                        (degrees, longitudes on the circle) comparisons,
//                        0 (exact) at the start, kept until the next one
//   forward P.. -> R..   point list through the image's block (doubles)
//   integers P.. -> N..  the same with integer output, compared exactly
//   inverse P.. -> R..   plane pairs through the block's inverse
//   both P.. -> R..      forward P gives R, and the inverse of R's plane
//                        pairs gives P again
//   line L W -> R..      line L of W pixels through the inverse
//   roundtrip-line W L.. the line inverse, then forward: the pixels again
//   roundtrip LON0 LON1 DLON LAT0 LAT1 DLAT
//                        grid points forward, then inverse: the points again
//   roundtrip-plane X0 X1 DX Y0 Y1 DY
//                        grid plane points inverse, then forward: the points
//                        again, those without position (marked) left out
//   units X Y U1 U2.. -> X Y _ChangeULValues on the image with the point,
//                        from U1 to U2, for each pair of units
//   peer LON0 LON1 LAT0 LAT1 [FX FY DY] DEFINITION
//                        with PROJ at hand: 300 points of the domain compared
//                        with PROJ's (plane = FX x, FY y - DY of its metres;
//                        1 1 0 unless given)
// "status S" after the results names the expected status (default
// QUORVEX_SUCCESS; 1 for units); "-99999" results are compared exactly.
#include "trasfo/trasfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef QUORVEX_WITH_PROJ
// In proj_peer.cpp: 300 points of the domain through the image's block
// and through PROJ, compared within the tolerances.
void compare_with_proj(const IMAGETYPE &image, int16_t block, const std::string &definition,
                       const double plane[3], const double domain[4], double tolerance_px,
                       double tolerance_deg);
#endif

namespace {

struct CaseFile {
    const char *name;
    const char *text;
};

const CaseFile case_files[] = {
#include "trasfo_cases.inc"
};

// "nan", "inf" and "-inf" are read here, whatever the C library's strtod
// (which the Windows builds take from another runtime) makes of them.
double number(const std::string &word)
{
    if (word == "nan")
        return std::nan("");
    if (word == "inf" || word == "-inf")
        return std::copysign(HUGE_VAL, word == "inf" ? 1.0 : -1.0);
    std::size_t used = 0;
    const double v = std::stod(word, &used);
    if (used != word.size())
        throw std::invalid_argument("not a number: " + word);
    return v;
}

// The numbers of a directive: operands, results after "->", and the status
// after "status".
struct Operands {
    std::vector<double> in, out;
    std::optional<int> status;
};

Operands operands(std::istringstream &words)
{
    Operands o;
    std::vector<double> *into = &o.in;
    for (std::string w; words >> w;) {
        if (w == "->")
            into = &o.out;
        else if (w == "status" && words >> w)
            o.status = static_cast<int>(number(w));
        else
            into->push_back(number(w));
    }
    return o;
}

bool same(double got, double want, double tolerance, bool circle)
{
    if (std::isnan(want))
        return std::isnan(got);
    if (want == quorvex::no_value || tolerance == 0)
        return got == want;
    const double d = circle ? std::remainder(got - want, 360.0) : got - want;
    return std::fabs(d) <= tolerance;
}

// The pairs of a grid: first coordinate from g[0] to g[1] in steps of g[2],
// second from g[3] to g[4] in steps of g[5].
std::vector<double> grid(const std::vector<double> &g)
{
    std::vector<double> pairs;
    for (double u = g.at(0); u <= g.at(1); u += g.at(2))
        for (double v = g.at(3); v <= g.at(4); v += g.at(5))
            pairs.insert(pairs.end(), {u, v});
    return pairs;
}

struct Runner {
    IMAGETYPE image{};
    int16_t block = 0;
    double tolerance_px = 0, tolerance_deg = 0;

    void new_image(std::istringstream &words)
    {
        image = IMAGETYPE{};
        HEADER &h = image.header;
        h.par1 = h.par2 = quorvex::no_value;
        image.dx = image.dy = 1;
        block = 0;
        const char *const keys[] = {"lon", "lat", "par1", "par2", "a",  "b",
                                    "fe",  "fn",  "dx",   "dy",   "xc", "yc"};
        double *const fields[] = {&h.lon_center, &h.lat_center, &h.par1,         &h.par2,
                                  &h.a,          &h.b,          &h.fe,           &h.fn,
                                  &image.dx,     &image.dy,     &image.x_center, &image.y_center};
        bool init = true;
        for (std::string w; words >> w;) {
            const std::size_t eq = w.find('=');
            const std::string key = w.substr(0, eq), value = w.substr(eq + 1);
            const auto field = std::find(std::begin(keys), std::end(keys), key);
            if (key == "init")
                init = value != "no";
            else if (key == "code" || key == "block")
                (key == "code" ? h.projection : block) = static_cast<int16_t>(number(value));
            else if (field != std::end(keys))
                *fields[field - std::begin(keys)] = number(value);
            else
                throw std::invalid_argument("unknown image key " + key);
        }
        if (init)
            _InitProjection(&image, block);
    }

    // got[k] against want[k]; geographic pairs compare the longitude on the
    // circle and in degrees.
    void expect_values(const std::vector<double> &got, const std::vector<double> &want,
                       bool geographic) const
    {
        ASSERT_LE(want.size(), got.size());
        for (std::size_t k = 0; k < want.size(); ++k) {
            const double tolerance = geographic ? tolerance_deg : tolerance_px;
            EXPECT_TRUE(same(got[k], want[k], tolerance, geographic && k % 2 == 0))
                << "value " << k << ": " << std::setprecision(17) << got[k] << " instead of "
                << want[k] << " (within " << tolerance << ")";
        }
    }

    // The pairs through the forward (or, as integers, their packed bytes)
    // or the inverse, with the status expected and the end marker kept.
    std::vector<double> convert(bool forward, const std::vector<double> &pairs, const Operands &o,
                                int16_t calltype = 0) const
    {
        std::vector<double> buf = pairs;
        buf.push_back(quorvex::no_value);
        const auto n = static_cast<uint16_t>(pairs.size() / 2);
        const int16_t status = forward
                                   ? quorvex::forward_points(&image, buf.data(), calltype, block)
                                   : quorvex::inverse_points(&image, buf.data(), n, block);
        EXPECT_EQ(status, o.status.value_or(QUORVEX_SUCCESS)) << "status";
        EXPECT_EQ(buf[pairs.size()], quorvex::no_value) << "end marker";
        return buf;
    }

    // Plane pairs of image pairs of this image.
    std::vector<double> plane_of(const std::vector<double> &pixels) const
    {
        std::vector<double> v(pixels.size() & ~std::size_t{1});
        for (std::size_t k = 0; k < v.size(); k += 2) {
            v[k] = (pixels[k] - image.x_center) / image.dx;
            v[k + 1] = (image.y_center - pixels[k + 1]) / image.dy;
        }
        return v;
    }

    // Line l of width pixels through _ImageToLonLat, with its end marker.
    std::vector<double> line(double l, double width) const
    {
        const auto w = static_cast<uint16_t>(width);
        std::vector<double> buf(2 * w + 1, 0.0);
        _ImageToLonLat(&image, static_cast<uint16_t>(l), buf.data(), w, block);
        EXPECT_EQ(buf[2 * w], quorvex::no_value) << "end marker";
        buf.pop_back();
        return buf;
    }

    // The domain, the plane factors when given, then PROJ's definition.
    void peer(std::istringstream &words) const
    {
        std::vector<double> v;
        std::string w, definition;
        while (words >> w && w[0] != '+')
            v.push_back(number(w));
        if (v.size() == 4)
            v.insert(v.end(), {1, 1, 0});
        if (v.size() != 7)
            throw std::invalid_argument("a domain and at most a plane before the definition");
        std::getline(words, definition);
#ifdef QUORVEX_WITH_PROJ
        compare_with_proj(image, block, w + definition, &v[4], &v[0], tolerance_px, tolerance_deg);
#endif
    }

    void run(const std::string &directive, std::istringstream &words)
    {
        if (directive == "image")
            return new_image(words);
        if (directive == "peer")
            return peer(words);
        if (directive == "tolerance") {
            for (std::string v, unit; words >> v >> unit;)
                (unit == "px" ? tolerance_px : tolerance_deg) = number(v);
            return;
        }
        const Operands o = operands(words);
        if (directive == "forward" || directive == "both")
            expect_values(convert(true, o.in, o), o.out, false);
        if (directive == "inverse")
            expect_values(convert(false, o.in, o), o.out, true);
        else if (directive == "both")
            expect_values(convert(false, plane_of(o.out), o), o.in, true);
        else if (directive == "integers") {
            // The packed integers, from the start of the buffer.
            const std::vector<double> buf = convert(true, o.in, o, QUORVEX_AS_INTEGERS);
            std::vector<int32_t> got(o.out.size());
            if (!got.empty())
                std::memcpy(got.data(), buf.data(), got.size() * sizeof(int32_t));
            EXPECT_EQ(std::vector<double>(got.begin(), got.end()), o.out) << "integers";
        } else if (directive == "line")
            expect_values(line(o.in.at(0), o.in.at(1)), o.out, true);
        else if (directive == "roundtrip-line") {
            for (std::size_t l = 1; l < o.in.size(); ++l) {
                std::vector<double> want;
                for (uint16_t pixel = 0; pixel < static_cast<uint16_t>(o.in[0]); ++pixel)
                    want.insert(want.end(), {static_cast<double>(pixel), o.in[l]});
                SCOPED_TRACE(testing::Message() << "line " << o.in[l]);
                expect_values(convert(true, line(o.in[l], o.in[0]), o), want, false);
            }
        } else if (directive == "roundtrip") {
            const std::vector<double> points = grid(o.in);
            expect_values(convert(false, plane_of(convert(true, points, o)), o), points, true);
        } else if (directive == "roundtrip-plane") {
            // Plane points of a grid through the inverse and back; marked
            // points (no position) are left out.
            const std::vector<double> points = grid(o.in), buf = convert(false, points, o);
            std::vector<double> kept, want;
            for (std::size_t k = 0; k < points.size(); k += 2) {
                if (buf[k] == quorvex::no_value && buf[k + 1] == quorvex::no_value)
                    continue;
                kept.insert(kept.end(), {buf[k], buf[k + 1]});
                want.insert(want.end(), {points[k], points[k + 1]});
            }
            expect_values(plane_of(convert(true, kept, o)), want, false);
        } else if (directive == "units") {
            if (o.in.size() < 4 || o.in.size() % 2 != 0)
                throw std::invalid_argument("a point and pairs of units");
            for (std::size_t k = 3; k < o.in.size(); k += 2) {
                IMAGETYPE it = image;
                it.x_center = o.in.at(0);
                it.y_center = o.in.at(1);
                it.ul_units = 9;
                const auto from = static_cast<int16_t>(o.in[k - 1]),
                           to = static_cast<int16_t>(o.in[k]);
                SCOPED_TRACE(testing::Message() << "units " << from << " to " << to);
                EXPECT_EQ(_ChangeULValues(&it, from, to), o.status.value_or(1)) << "status";
                expect_values({it.x_center, it.y_center}, o.out, to >= QUORVEX_UNIT_LONLAT_OFFSET);
                EXPECT_EQ(it.ul_units, 9) << "units code";
            }
        } else if (directive != "forward" && directive != "both") {
            throw std::invalid_argument("unknown directive " + directive);
        }
    }
};

class Cases : public testing::TestWithParam<CaseFile> {};

TEST_P(Cases, File)
{
    Runner runner;
    std::istringstream text(GetParam().text);
    int line_number = 0;
    for (std::string line; std::getline(text, line);) {
        ++line_number;
        std::istringstream words(line.substr(0, line.find('#')));
        std::string directive;
        if (!(words >> directive))
            continue;
        SCOPED_TRACE(testing::Message()
                     << GetParam().name << ".cases:" << line_number << ": " << line);
        try {
            runner.run(directive, words);
        } catch (const std::exception &e) {
            ADD_FAILURE() << "cannot read the line: " << e.what();
        }
    }
    EXPECT_GT(line_number, 0);
}

INSTANTIATE_TEST_SUITE_P(Trasfo, Cases, testing::ValuesIn(case_files),
                         [](const testing::TestParamInfo<CaseFile> &param_info) {
                             return std::string(param_info.param.name);
                         });

} // namespace
