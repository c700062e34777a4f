// The tables reader: the built-in defaults, a user's rows, and the reason
// and line given for each kind of bad line.
#include "quorvex_tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

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
    const double fields[][2] = {{double(t.missingcodes[0]), 255},
                                {double(t.missingcodes[1]), 254},
                                {double(t.missingcodes[2]), QUORVEX_NO_VALUE},
                                {double(t.cloudcodes[0]), 3},
                                {double(t.maskingcodes[0]), QUORVEX_NO_VALUE},
                                {double(t.sp1), QUORVEX_NO_VALUE},
                                {double(t.sp2), 9},
                                {double(t.nspecialcodes), 4},
                                {double(t.mincodedvalue), 1},
                                {double(t.maxcodedvalue), 255},
                                {t.slope, -0.004},
                                {t.intercept, 0.5},
                                {copy.find_type(13)->slope, 1.0}};
    for (const auto &f : fields)
        EXPECT_EQ(f[0], f[1]) << &f - fields;
}

TEST(Tables, BadLinesNameTheFileTheLineAndTheReason)
{
    std::string many = "projection";
    for (int k = 0; k < 63; ++k)
        many += " a=1";
    const struct {
        std::string text;
        const char *error;
    } cases[] = {
        {"projection code=1" + std::string(5120, ' '), "t.txt:1: line longer than 5119 characters"},
        {many, "t.txt:1: more than 63 fields"},
        {"# ok\nprojection code = 3",
         "t.txt:2: Syntax error: space illegal on either side of '='."},
        {"projection code=3 name=\"Plate", "t.txt:1: Unmatched double quote."},
        {"projection code=3 name=\"a;b\"", "t.txt:1: Unmatched double quote."},
        {"ellipsoid code=1",
         "t.txt:1: unknown row 'ellipsoid' (expected projection, spheroid or idatype)"},
        {"code=1", "t.txt:1: a row begins with projection, spheroid or idatype, not 'code=1'"},
        {"projection name=x", "t.txt:1: projection row without code"},
        {"projection code=256", "t.txt:1: bad value '256' for code (0 to 255)"},
        {"projection code=1-2", "t.txt:1: bad value '1-2' for code (0 to 255)"},
        {"spheroid code=14 a=1 b=1", "t.txt:1: bad value '14' for code (0 to 13)"},
        {"projection code=3 x", "t.txt:1: 'x' is not key=value"},
        {"projection code=3 name=", "t.txt:1: no value for name"},
        {"projection code=3 colour=red", "t.txt:1: unknown key 'colour' in a projection row"},
        {"projection code=3 name=a name=b", "t.txt:1: name given twice"},
        {"projection code=3\nprojection code=3", "t.txt:2: projection 3 given twice"},
        {"projection code=3 name=abcdefghijklmnopqrstu", "t.txt:1: name longer than 20 characters"},
        {"spheroid code=1 a=6378137", "t.txt:1: spheroid 1 needs both a and b"},
        {"spheroid code=1 a=1 b=2", "t.txt:1: spheroid 1 needs axes with 0 < b <= a"},
        {"spheroid code=1 a=1e5 b=1", "t.txt:1: bad value '1e5' for a (a number)"},
        {"spheroid code=1 a=2 b=1-1", "t.txt:1: bad value '1-1' for b (a number)"},
        {"spheroid code=1 a=2 b=+-1", "t.txt:1: bad value '+-1' for b (a number)"},
        {"idatype code=1 missingcodes=1,2,3,4,5,6,7,8,9,10,11",
         "t.txt:1: missingcodes holds more than 10 codes"},
        {"idatype code=1 nodatacodes=1,,2", "t.txt:1: bad code '' in nodatacodes (0 to 255)"},
        {"idatype code=1 mincodedvalue=9 maxcodedvalue=8",
         "t.txt:1: idatype 1: mincodedvalue above maxcodedvalue"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        QuorvexTables t;
        t.spheroids[1].a = 42.0;
        std::string error;
        EXPECT_FALSE(load(c.text, &t, &error));
        EXPECT_EQ(error, c.error);
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
