// Checking a list of IDA files against the first one: statuses, the order
// and tolerances of the comparisons, and the message texts.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

using description::Header;
using description::put_r48;
using description::r48;
using description::Tables;
using description::TempDir;

namespace {

struct Outcome {
    int16_t err;
    std::string message;
    bool pointer_at_end;  // *p was moved onto the terminating zero
};

Outcome check(const Tables &t, const std::vector<std::string> &names,
              IMAGETYPE *pit, bool with_message = true)
{
    std::vector<char *> nome;
    for (const std::string &n : names)
        nome.push_back(const_cast<char *>(n.c_str()));
    std::vector<char> buffer(4096, '\x7f');
    buffer[0] = '\0';
    char *p = buffer.data();
    int16_t err = -1;
    _CheckInputImages(pit, t.projections.data(), t.spheroids.data(), t.types.data(),
                      static_cast<int16_t>(t.types.size()), nome.data(),
                      static_cast<int16_t>(nome.size()), with_message ? &p : nullptr, &err);
    return {err, buffer.data(), p == buffer.data() + std::strlen(buffer.data())};
}

std::string input_image(const std::string &name, const char *what)
{
    return "File <" + name + ">:  Input image <" + name + ">: \nnot the same " + what + ".";
}

TEST(CheckInputImages, AgreeingFilesDescribeTheFirstWithoutMessage)
{
    Tables t;
    TempDir dir;
    const Header h = description::worked_header();
    const std::string a = dir.write("a.ida", h);
    for (const auto &names : {std::vector<std::string>{a},
                              std::vector<std::string>{a, dir.write("b.ida", h), a}}) {
        IMAGETYPE it{};
        const Outcome got = check(t, names, &it);
        EXPECT_EQ(got.err, 100);
        EXPECT_EQ(got.message, "");
        EXPECT_TRUE(got.pointer_at_end);
        EXPECT_EQ(it.columns, 200);
        EXPECT_EQ(it.x_center, 100.0);
    }
}

// Each compared field of the second file, just inside and just outside its
// tolerance.  Expected statuses and texts are the message table's.
TEST(CheckInputImages, EachComparedFieldAndItsTolerance)
{
    struct Case {
        const char *what;
        std::function<void(Header &)> change;
        int16_t err;         // 100: the files agree
        const char *text;    // the table's "not the same ..." text
    };
    const auto shift = [](int at, double by) {
        return [at, by](Header &h) { put_r48(h, at, r48(h, at) + by); };
    };
    const Case cases[] = {
        {"IDA type", [](Header &h) { h[22] = 7; }, 21, "Ida Type"},
        {"projection", [](Header &h) { h[23] = 2; }, 24, "projection"},
        {"10 rows more", [](Header &h) { h[30] += 10; }, 22, "size"},
        {"one column less", [](Header &h) { h[32] -= 1; }, 22, "size"},
        {"centre column by one unit of the last place",
         [](Header &h) { h[133] ^= 1; }, 25, "projection center"},
        {"centre line", shift(138, 0.5), 25, "projection center"},
        {"dx by 2e-7", shift(144, 2e-7), 23, "pixel size"},
        {"dx by 5e-8", shift(144, 5e-8), 100, nullptr},
        {"dy by -2e-7", shift(150, -2e-7), 23, "pixel size"},
        {"dy by -5e-8", shift(150, -5e-8), 100, nullptr},
        {"centre latitude by +0.00002", shift(120, 0.00002), 25, "projection center"},
        {"centre latitude by -0.00002", shift(120, -0.00002), 25, "projection center"},
        {"centre latitude by +0.000009", shift(120, 0.000009), 100, nullptr},
        {"centre longitude by -0.000011", shift(126, -0.000011), 25, "projection center"},
        {"title and pixels differ", [](Header &h) { h[40] = 'x'; h[183] = 3; }, 100, nullptr},
        {"parallels of a projection without them", shift(156, 1.0), 100, nullptr},
    };
    Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Header second = description::worked_header();
        c.change(second);
        const std::string a = dir.write("a.ida", description::worked_header());
        const std::string b = dir.write("b.ida", second);
        IMAGETYPE it{};
        const Outcome got = check(t, {a, b}, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, c.text == nullptr ? "" : input_image(b, c.text));
        EXPECT_TRUE(got.pointer_at_end);
    }
}

TEST(CheckInputImages, StandardParallelsOfAConic)
{
    Tables t;
    Header h = description::worked_header();
    h[23] = 4;
    put_r48(h, 156, 40.0);
    put_r48(h, 162, 50.0);
    for (double by : {0.00002, -0.00002, 0.000009}) {
        SCOPED_TRACE(by);
        TempDir dir;
        Header second = h;
        put_r48(second, 162, 50.0 + by);
        IMAGETYPE it{};
        const Outcome got =
            check(t, {dir.write("a.ida", h), dir.write("b.ida", second)}, &it);
        EXPECT_EQ(got.err, by == 0.000009 ? 100 : 26);
    }
}

TEST(CheckInputImages, FilesThatCannotBeRead)
{
    Tables t;
    TempDir dir;
    const Header h = description::worked_header();
    const std::string good = dir.write("good.ida", h);
    const std::string short_file = dir.write("short.ida", h, 511);
    const std::string empty = dir.write("empty.ida", h, 0);
    const std::string missing = dir.missing("missing.ida");
    struct Case {
        std::vector<std::string> names;
        std::string named;
    };
    const Case cases[] = {
        {{good, missing}, missing},
        {{missing, good}, missing},
        {{good, short_file}, short_file},
        {{short_file, good}, short_file},
        {{good, good, empty}, empty},
        // the first unreadable file is named, later ones are not opened
        {{good, missing, short_file}, missing},
        {{}, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.named);
        IMAGETYPE it{};
        const Outcome got = check(t, c.names, &it);
        EXPECT_EQ(got.err, 1);
        EXPECT_EQ(got.message, " Cannot open file <" + c.named + ">.");
        EXPECT_TRUE(got.pointer_at_end);
    }
}

TEST(CheckInputImages, RefusedFirstFileStopsTheCheck)
{
    struct Case {
        int at;
        unsigned char value;
        int16_t err;
        std::string text;  // after the prefix; <a> stands for the file name
    };
    const Case cases[] = {
        {23, 1, 16, " Projection <1> unknown."},
        {23, 200, 16, " Projection <200> unknown."},
        {22, 99, 31, " File <a>: Ida Type <99> unknown.\n Please update file <IDATYPES.DAT>."},
    };
    Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        TempDir dir;
        Header h = description::worked_header();
        h[c.at] = c.value;
        const std::string a = dir.write("a.ida", h);
        std::string text = c.text;
        const size_t name = text.find("<a>");
        if (name != std::string::npos)
            text.replace(name, 3, "<" + a + ">");
        IMAGETYPE it{};
        // the second file does not exist: it is never opened
        const Outcome got = check(t, {a, dir.missing("b.ida")}, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, "File <" + a + ">: " + text);
        EXPECT_EQ(it.header.projection, h[23]);
    }
}

TEST(CheckInputImages, StatusWithoutMessageBuffer)
{
    Tables t;
    TempDir dir;
    Header second = description::worked_header();
    second[30] = 1;
    IMAGETYPE it{};
    EXPECT_EQ(check(t, {dir.write("a.ida", description::worked_header()),
                        dir.write("b.ida", second)}, &it, false).err, 22);
}

// Without a projection the geolocation bytes mean nothing: they are not
// compared, neither with the record's leftovers nor with each other.
TEST(CheckInputImages, ImagesWithoutGeolocation)
{
    Tables t;
    struct Case {
        const char *what;
        std::function<void(Header &)> first, second;
        int16_t err;
    };
    const Case cases[] = {
        {"projection 0, record holding other values",
         [](Header &h) { h[23] = 0; }, [](Header &h) { h[23] = 0; }, 100},
        {"projection 0, geolocation bytes differ",
         [](Header &h) { h[23] = 0; },
         [](Header &h) { h[23] = 0; put_r48(h, 132, 7.0); put_r48(h, 144, 3.0); }, 100},
        {"zero dx in both files",
         [](Header &h) { put_r48(h, 144, 0.0); },
         [](Header &h) { put_r48(h, 144, 0.0); }, 100},
        {"zero dx against projection 0",
         [](Header &h) { put_r48(h, 144, 0.0); }, [](Header &h) { h[23] = 0; }, 100},
        {"zero dx against a geolocated image",
         [](Header &h) { put_r48(h, 144, 0.0); }, [](Header &) {}, 24},
        {"projection 0 against a geolocated image",
         [](Header &h) { h[23] = 0; }, [](Header &) {}, 24},
        {"projection 0, sizes still compared",
         [](Header &h) { h[23] = 0; }, [](Header &h) { h[23] = 0; h[32] = 1; }, 22},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Header first = description::worked_header(), second = first;
        c.first(first);
        c.second(second);
        IMAGETYPE it;
        std::memset(&it, 0x5A, sizeof it);
        const Outcome got =
            check(t, {dir.write("a.ida", first), dir.write("b.ida", second)}, &it);
        EXPECT_EQ(got.err, c.err);
    }
}

} // namespace
