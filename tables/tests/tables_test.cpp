// The tables reader: the built-in defaults, a user's rows, and the reason
// and line given for each kind of bad line.
#include "quorvex_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

bool load(const std::string &text, QuorvexTables *tables, std::string *error)
{
    return load_tables_text(text.data(), text.size(), "t.txt", tables, error);
}

TEST(Tables, DefaultsHoldTheRowsTheHeaderReaderIndexes)
{
    QuorvexTables t;
    ASSERT_TRUE(load_default_tables(&t));
    for (int code = 0; code < 256; ++code) {
        SCOPED_TRACE(code);
        EXPECT_EQ(t.projections[code].proj, code <= 10 ? code : 0);
        EXPECT_EQ(t.projections[code].parfalse, code == 4 || code == 8 ? 1 : 0);
        EXPECT_EQ(t.projections[code].name[0] != '\0', code <= 10);
    }
    const double axes[][3] = {{1, 6378137.0, 6356752.314245},
                              {4, 6378137.0, 6356752.314245},
                              {12, 6370997.0, 6370997.0},
                              {2, 0.0, 0.0}};
    for (const auto &row : axes) {
        EXPECT_EQ(t.spheroids[int(row[0])].a, row[1]) << row[0];
        EXPECT_EQ(t.spheroids[int(row[0])].b, row[2]) << row[0];
    }
    ASSERT_EQ(t.type_count(), 1);
    EXPECT_EQ(t.types[0].code, 200);
}

TEST(Tables, UserRowsAndCopiesThatOutliveTheOriginal)
{
    auto original = std::make_unique<QuorvexTables>();
    std::string error;
    ASSERT_TRUE(load("\tprojection code=+7 name=\"Polar north\" # a \"note\n"
                     "idatype code=12 label=\"NDVI x 250\" missingcodes=255,254 "
                     "cloudcodes=3 sp2=9 mincodedvalue=1 slope=-0.004 intercept=.5\r\n"
                     "idatype code=13\n",
                     original.get(), &error))
        << error;
    const QuorvexTables copy = *original;
    original.reset();
    EXPECT_STREQ(copy.projections[7].name, "Polar north");
    ASSERT_EQ(copy.type_count(), 2);
    const IDATYPE &t = copy.types[0];
    EXPECT_STREQ(t.label, "NDVI x 250");
    EXPECT_STREQ(copy.find_type(13)->label, "");
    EXPECT_EQ(copy.find_type(14), nullptr);
    const int n = QUORVEX_NO_VALUE;
    EXPECT_EQ((std::vector<int>{t.missingcodes[0], t.missingcodes[1], t.missingcodes[2],
                                t.cloudcodes[0], t.maskingcodes[0], t.sp1, t.sp2, t.nspecialcodes,
                                t.mincodedvalue, t.maxcodedvalue}),
              (std::vector<int>{255, 254, n, 3, n, n, 9, 4, 1, 255}));
    EXPECT_EQ((std::vector<double>{t.slope, t.intercept, copy.find_type(13)->slope}),
              (std::vector<double>{-0.004, 0.5, 1.0}));
}

TEST(Tables, BadLinesNameTheFileTheLineAndTheReason)
{
    std::string many = "projection";
    for (int k = 0; k < 63; ++k)
        many += " a=1";
    const struct {
        std::string text;
        const char *error; // after "t.txt:"
    } cases[] = {
        {"projection code=1" + std::string(5120, ' '), "1: line longer than 5119 characters"},
        {many, "1: more than 63 fields"},
        {"# ok\nprojection code = 3", "2: Syntax error: space illegal on either side of '='."},
        {"projection code=3 name=\"Plate", "1: Unmatched double quote."},
        {"projection code=3 name=\"a;b\"", "1: Unmatched double quote."},
        {"ellipsoid code=1",
         "1: unknown row 'ellipsoid' (expected projection, spheroid or idatype)"},
        {"code=1", "1: a row begins with projection, spheroid or idatype, not 'code=1'"},
        {"projection name=x", "1: projection row without code"},
        {"projection code=256", "1: bad value '256' for code (0 to 255)"},
        {"projection code=1-2", "1: bad value '1-2' for code (0 to 255)"},
        {"spheroid code=14 a=1 b=1", "1: bad value '14' for code (0 to 13)"},
        {"projection code=3 x", "1: 'x' is not key=value"},
        {"projection code=3 name=", "1: no value for name"},
        {"projection code=3 colour=red", "1: unknown key 'colour' in a projection row"},
        {"projection code=3 name=a name=b", "1: name given twice"},
        {"projection code=3\nprojection code=3", "2: projection 3 given twice"},
        {"projection code=3 name=abcdefghijklmnopqrstu", "1: name longer than 20 characters"},
        {"spheroid code=1 a=6378137", "1: spheroid 1 needs both a and b"},
        {"spheroid code=1 a=1 b=2", "1: spheroid 1 needs axes with 0 < b <= a"},
        {"spheroid code=1 a=1e5 b=1", "1: bad value '1e5' for a (a number)"},
        {"spheroid code=1 a=2 b=1-1", "1: bad value '1-1' for b (a number)"},
        {"spheroid code=1 a=2 b=+-1", "1: bad value '+-1' for b (a number)"},
        {"idatype code=1 missingcodes=1,2,3,4,5,6,7,8,9,10,11",
         "1: missingcodes holds more than 10 codes"},
        {"idatype code=1 nodatacodes=1,,2", "1: bad code '' in nodatacodes (0 to 255)"},
        {"idatype code=1 mincodedvalue=9 maxcodedvalue=8",
         "1: idatype 1: mincodedvalue above maxcodedvalue"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        QuorvexTables t;
        t.spheroids[1].a = 42.0;
        std::string error;
        EXPECT_FALSE(load(c.text, &t, &error));
        EXPECT_EQ(error, std::string("t.txt:") + c.error);
        EXPECT_EQ(t.spheroids[1].a, 42.0); // unchanged on failure
    }
    std::string error;
    QuorvexTables t;
    // A file that does not open, and one that opens but does not read.
    for (const char *path : {"/nonexistent/t.txt", "/"}) {
        EXPECT_FALSE(load_tables_file(path, &t, &error));
        EXPECT_EQ(error, std::string(path) +
                             (path[1] ? ": No such file or directory" : ": Is a directory"));
    }
}

} // namespace
