// Checking a list of IDA files against the first one: statuses, the order
// and tolerances of the comparisons, and the message texts.
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
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

// Applies edits to header bytes, each written AT=BYTE (one byte), AT:VALUE
// (the 6-byte real at AT set) or AT+DELTA (that real moved by DELTA).
void edit(Header &h, const std::string &edits)
{
    std::istringstream in(edits);
    int at;
    char how;
    double v;
    while (in >> at >> how >> v) {
        if (how == '=')
            h[at] = static_cast<unsigned char>(v);
        else
            put_r48(h, at, (how == '+' ? r48(h, at) : 0.0) + v);
    }
    EXPECT_TRUE(in.eof()) << "unreadable edit in \"" << edits << "\"";
}

// Each compared field of the second file, just inside and just outside its
// tolerance; without a projection the geolocation bytes mean nothing and are
// not compared, neither with the record's leftovers nor with each other.
// Expected statuses and texts are the message table's.
TEST(CheckInputImages, EachComparedFieldAndItsTolerance)
{
    const std::string unprojected = "23=0", conic = "23=4 156:40 162:50 ";
    const struct {
        const char *what;
        std::string first, second; // edits of the worked header
        int16_t err;               // 100: the files agree
        const char *text;          // the table's "not the same ..." text
    } cases[] = {
        {"IDA type", "", "22=7", 21, "Ida Type"},
        {"projection", "", "23=2", 24, "projection"},
        {"10 rows more", "", "30=110", 22, "size"},
        {"one column less", "", "32=199", 22, "size"},
        {"centre column by one unit of the last place", "", "133=1", 25, "projection center"},
        {"centre line", "", "138+0.5", 25, "projection center"},
        {"dx by 2e-7", "", "144+2e-7", 23, "pixel size"},
        {"dx by 5e-8", "", "144+5e-8", 100, nullptr},
        {"dy by -2e-7", "", "150+-2e-7", 23, "pixel size"},
        {"dy by -5e-8", "", "150+-5e-8", 100, nullptr},
        {"centre latitude by +0.00002", "", "120+0.00002", 25, "projection center"},
        {"centre latitude by -0.00002", "", "120+-0.00002", 25, "projection center"},
        {"centre latitude by +0.000009", "", "120+0.000009", 100, nullptr},
        {"centre longitude by -0.000011", "", "126+-0.000011", 25, "projection center"},
        {"title and pixels differ", "", "40=120 183=3", 100, nullptr},
        {"parallels of a projection without them", "", "156+1", 100, nullptr},
        {"conic parallel +0.00002", conic, conic + "162:50.00002", 26, "projection parallels"},
        {"conic parallel -0.00002", conic, conic + "162+-0.00002", 26, "projection parallels"},
        {"conic parallel +0.000009", conic, conic + "162:50.000009", 100, nullptr},
        {"projection 0, record holding other values", unprojected, unprojected, 100, nullptr},
        {"projection 0, geolocation bytes differ", unprojected, "23=0 132:7 144:3", 100, nullptr},
        {"zero dx in both files", "144:0", "144:0", 100, nullptr},
        {"zero dx against projection 0", "144:0", unprojected, 100, nullptr},
        {"zero dx against a geolocated image", "144:0", "", 24, "projection"},
        {"projection 0 against a geolocated image", unprojected, "", 24, "projection"},
        {"projection 0, sizes still compared", unprojected, "23=0 32=1", 22, "size"},
    };
    const Tables t;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        Header first = description::worked_header(), second = first;
        edit(first, c.first);
        edit(second, c.second);
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

// Lists of files: agreeing ones describe the first without a message; the
// first file that cannot be read is named and later ones are not opened; a
// refused first file stops the check (the second file never exists).
TEST(CheckInputImages, ListsOfFiles)
{
    const Tables t;
    TempDir dir;
    Header h = description::worked_header();
    const std::string good = dir.write("good.ida", h), same = dir.write("same.ida", h);
    const std::string short_file = dir.write("short.ida", h, 511);
    const std::string empty = dir.write("empty.ida", h, 0), missing = dir.missing("missing.ida");
    const std::string cannot = " Cannot open file <" + missing + ">.";
    h[23] = 1;
    const std::string p1 = dir.write("p1.ida", h);
    h[23] = 200;
    const std::string p200 = dir.write("p200.ida", h);
    h = description::worked_header();
    h[22] = 99;
    const std::string t99 = dir.write("t99.ida", h);
    const struct {
        std::vector<std::string> names;
        int16_t err;
        std::string message;
        int projection; // of the record afterwards
    } cases[] = {
        {{good}, 100, "", 3},
        {{good, same, good}, 100, "", 3},
        {{good, missing}, 1, cannot, 3},
        {{missing, good}, 1, cannot, 0},
        {{good, short_file}, 1, " Cannot open file <" + short_file + ">.", 3},
        {{short_file, good}, 1, " Cannot open file <" + short_file + ">.", 0},
        {{good, good, empty}, 1, " Cannot open file <" + empty + ">.", 3},
        {{good, missing, short_file}, 1, cannot, 3},
        {{}, 1, " Cannot open file <>.", 0},
        {{p1, missing}, 16, "File <" + p1 + ">:  Projection <1> unknown.", 1},
        {{p200, missing}, 16, "File <" + p200 + ">:  Projection <200> unknown.", 200},
        {{t99, missing},
         31,
         "File <" + t99 + ">:  File <" + t99 +
             ">: Ida Type <99> unknown.\n Please update file <IDATYPES.DAT>.",
         3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        IMAGETYPE it{};
        const Outcome got = check(t, c.names, &it);
        EXPECT_EQ(got.err, c.err);
        EXPECT_EQ(got.message, c.message);
        EXPECT_TRUE(got.pointer_at_end);
        EXPECT_EQ(it.header.projection, c.projection);
        if (c.err == 100) {
            EXPECT_EQ(it.columns, 200);
            EXPECT_EQ(it.x_center, 100.0);
        }
    }
}

} // namespace
