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
    bool pointer_at_end; // *p was moved onto the terminating zero
};

Outcome check(const Tables &t, const std::vector<std::string> &names, IMAGETYPE *pit,
              bool with_message = true)
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
    for (const auto &names :
         {std::vector<std::string>{a}, std::vector<std::string>{a, dir.write("b.ida", h), a}}) {
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
// tolerance; without a projection the geolocation bytes mean nothing and are
// not compared, neither with the record's leftovers nor with each other.
// Expected statuses and texts are the message table's.
using Change = std::function<void(Header &)>;

Change shift(int at, double by)
{
    return [at, by](Header &h) { put_r48(h, at, r48(h, at) + by); };
}
Change set(int at, double to)
{
    return [at, to](Header &h) { put_r48(h, at, to); };
}
Change byte(int at, unsigned char to)
{
    return [at, to](Header &h) { h[at] = to; };
}
Change all(std::vector<Change> changes)
{
    return [changes](Header &h) {
        for (const Change &change : changes)
            change(h);
    };
}

// Each compared field of the second file, just inside and just outside its
// tolerance; without a projection the geolocation bytes mean nothing and are
// not compared, neither with the record's leftovers nor with each other.
// Expected statuses and texts are the message table's.
TEST(CheckInputImages, EachComparedFieldAndItsTolerance)
{
    const Change same = all({}), unprojected = byte(23, 0);
    const Change conic = all({byte(23, 4), set(156, 40.0), set(162, 50.0)});
    struct Case {
        const char *what;
        Change first, second;
        int16_t err;      // 100: the files agree
        const char *text; // the table's "not the same ..." text
    };
    const Case cases[] = {
        {"IDA type", same, byte(22, 7), 21, "Ida Type"},
        {"projection", same, byte(23, 2), 24, "projection"},
        {"10 rows more", same, byte(30, 0x64 + 10), 22, "size"},
        {"one column less", same, byte(32, 0xC8 - 1), 22, "size"},
        {"centre column by one unit of the last place", same, byte(133, 1), 25,
         "projection center"},
        {"centre line", same, shift(138, 0.5), 25, "projection center"},
        {"dx by 2e-7", same, shift(144, 2e-7), 23, "pixel size"},
        {"dx by 5e-8", same, shift(144, 5e-8), 100, nullptr},
        {"dy by -2e-7", same, shift(150, -2e-7), 23, "pixel size"},
        {"dy by -5e-8", same, shift(150, -5e-8), 100, nullptr},
        {"centre latitude by +0.00002", same, shift(120, 0.00002), 25, "projection center"},
        {"centre latitude by -0.00002", same, shift(120, -0.00002), 25, "projection center"},
        {"centre latitude by +0.000009", same, shift(120, 0.000009), 100, nullptr},
        {"centre longitude by -0.000011", same, shift(126, -0.000011), 25, "projection center"},
        {"title and pixels differ", same, all({byte(40, 'x'), byte(183, 3)}), 100, nullptr},
        {"parallels of a projection without them", same, shift(156, 1.0), 100, nullptr},
        {"conic parallel +0.00002", conic, all({conic, set(162, 50.00002)}), 26,
         "projection parallels"},
        {"conic parallel -0.00002", conic, all({conic, set(162, 50.0 - 0.00002)}), 26,
         "projection parallels"},
        {"conic parallel +0.000009", conic, all({conic, set(162, 50.000009)}), 100, nullptr},
        {"projection 0, record holding other values", unprojected, unprojected, 100, nullptr},
        {"projection 0, geolocation bytes differ", unprojected,
         all({unprojected, set(132, 7.0), set(144, 3.0)}), 100, nullptr},
        {"zero dx in both files", set(144, 0.0), set(144, 0.0), 100, nullptr},
        {"zero dx against projection 0", set(144, 0.0), unprojected, 100, nullptr},
        {"zero dx against a geolocated image", set(144, 0.0), same, 24, "projection"},
        {"projection 0 against a geolocated image", unprojected, same, 24, "projection"},
        {"projection 0, sizes still compared", unprojected, all({unprojected, byte(32, 1)}), 22,
         "size"},
    };
    const Tables t;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Header first = description::worked_header(), second = first;
        c.first(first);
        c.second(second);
        const std::string a = dir.write("a.ida", first);
        const std::string b = dir.write("b.ida", second);
        IMAGETYPE it;
        std::memset(&it, 0x5A, sizeof it);
        const Outcome got = check(t, {a, b}, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, c.text == nullptr ? "" : input_image(b, c.text));
        EXPECT_TRUE(got.pointer_at_end);
        EXPECT_EQ(check(t, {a, b}, &it, false).err, c.err); // no message buffer
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
        std::string text; // after the prefix; <a> stands for the file name
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

} // namespace
