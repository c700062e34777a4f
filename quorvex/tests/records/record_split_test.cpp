// Splitting text records into fields and key=value fields into key and value.
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Split {
    int16_t count;
    std::vector<std::string> fields;
    int16_t error;
};

// Splits a copy of text without a stream; error starts at -1 so that any
// write to it shows.
Split split(const std::string &text, int16_t num = 10)
{
    std::vector<char> rec(text.begin(), text.end());
    rec.push_back('\0');
    std::vector<char *> punt(12, nullptr);
    int16_t error = -1;
    Split result{_ReadRec(rec.data(), punt.data(), nullptr, num, &error), {}, 0};
    for (int i = 0; i < result.count && i < 12; ++i)
        result.fields.emplace_back(punt[i]);
    result.error = error;
    return result;
}

TEST(ReadRec, SplitsRecordsOfTheSyntax)
{
    struct Case {
        const char *text;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"NAME=abc ; comment", {"NAME=abc"}},
        {"\"two words\" next", {"two words", "next"}},
        {"label=\"a b\" x", {"label=\"a b", "x"}},
        {"a \"b;c\"", {"a", "b"}},
        {"a #\"b c\"", {"a"}},
        {"   \t  ", {}},
        {"; only a comment", {}},
        {"# = also a comment", {}},
        {"", {}},
        {"  lead\tand  trail \t", {"lead", "and", "trail"}},
        {"one\ntwo", {"one"}},
        {"cr\r here", {"cr\r", "here"}},
        {"=first", {"=first"}},
        {"a=b=c", {"a=b=c"}},
        // a tab ends a field even between quotes; the quote stays open
        {"\"x\ty z\" w", {"x", "y z", "w"}},
        {"\"open and never closed", {"open and never closed"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const Split got = split(c.text);
        EXPECT_EQ(got.count, static_cast<int16_t>(c.fields.size()));
        EXPECT_EQ(got.fields, c.fields);
        EXPECT_EQ(got.error, -1);
    }
}

TEST(ReadRec, SpaceNextToEqualIsRefusedBeforeSplitting)
{
    for (const char *text : {"NAME = abc", "NAME= abc", "NAME =abc",
                             "ok=1 \"q = 2\"", "a\tb =c"}) {
        SCOPED_TRACE(text);
        std::string copy = text;
        char *untouched = reinterpret_cast<char *>(0x1);
        char *punt[4] = {untouched, untouched, untouched, untouched};
        int16_t error = -1;
        EXPECT_EQ(_ReadRec(&copy[0], punt, nullptr, 4, &error), -100);
        EXPECT_EQ(error, 11);
        EXPECT_EQ(copy, text);
        for (char *field : punt)
            EXPECT_EQ(field, untouched);
    }
    // Only a space counts, and only before the first comment character.
    EXPECT_EQ(split("a=\tb").count, 2);
    EXPECT_EQ(split("a=b ; c = d").count, 1);
}

TEST(ReadRec, NumLimitsTheFieldsAndThePointers)
{
    std::string text = "a b c";
    char *punt[3] = {nullptr, nullptr, nullptr};
    int16_t error = -1;
    ASSERT_EQ(_ReadRec(&text[0], punt, nullptr, 2, &error), 2);
    EXPECT_STREQ(punt[0], "a");
    EXPECT_STREQ(punt[1], "b");
    EXPECT_EQ(punt[2], nullptr);
    EXPECT_STREQ(&text[4], "c");  // left unsplit behind the zero that ended b

    // num of 0 or less: nothing at all may be written to punt
    for (int16_t num : {int16_t(0), int16_t(-1), int16_t(-32768)}) {
        std::string t = "a b c";
        char *none[1] = {nullptr};
        EXPECT_EQ(_ReadRec(&t[0], none, nullptr, num, &error), 0);
        EXPECT_EQ(none[0], nullptr);
    }
    EXPECT_EQ(split("a b", 1).fields, std::vector<std::string>{"a"});
}

TEST(ReadRec, OddQuotesReportedWhenTheLastAllowedFieldEnds)
{
    // the second field ends with the count of quotes at 1
    EXPECT_EQ(split("a \"b c", 2).error, -1);  // field still open at the end
    EXPECT_EQ(split("a=\"b c\" d", 1).error, -1);
    const Split odd = split("x=\"y\tz", 1);
    EXPECT_EQ(odd.count, 1);
    EXPECT_EQ(odd.error, 2);
    EXPECT_EQ(odd.fields, std::vector<std::string>{"x=\"y"});
}

TEST(ReadRec, ReadsLinesFromAStream)
{
    FILE *fp = tmpfile();
    ASSERT_NE(fp, nullptr);
    const std::string longline(6000, 'x');
    fputs("first line\n\n# note\nsecond=\"a b\"\n", fp);
    fputs(longline.c_str(), fp);
    rewind(fp);

    std::vector<char> rec(5120);
    char *punt[4];
    int16_t error = 0;
    ASSERT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 2);
    EXPECT_STREQ(punt[1], "line");
    EXPECT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 0);
    EXPECT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 0);
    ASSERT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 1);
    EXPECT_STREQ(punt[0], "second=\"a b");
    ASSERT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 1);
    EXPECT_EQ(std::string(punt[0]).size(), 5119u);
    ASSERT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), 1);
    EXPECT_EQ(std::string(punt[0]).size(), 6000u - 5119u);
    EXPECT_EQ(_ReadRec(rec.data(), punt, fp, 4, &error), -1);
    EXPECT_EQ(error, 0);
    fclose(fp);
}

TEST(SplitField, KeyAndValue)
{
    struct Case {
        const char *field;
        const char *key;
        const char *value;  // nullptr: no value
        int16_t is_equal;
    };
    const Case cases[] = {
        {"label=\"a b", "label", "a b", 1},
        {"key=", "key", nullptr, 1},
        {"key=\"\"", "key", nullptr, 1},
        {"plain", "plain", nullptr, 0},
        {"a=b=c", "a", "b=c", 1},
        {"=v", "", "v", 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.field);
        std::string field = c.field;
        char *value = reinterpret_cast<char *>(0x1);
        int16_t is_equal = 7;
        _SplitField(&field[0], &value, &is_equal);
        EXPECT_STREQ(field.c_str(), c.key);
        EXPECT_EQ(is_equal, c.is_equal);
        if (c.value == nullptr)
            EXPECT_EQ(value, nullptr);
        else
            EXPECT_STREQ(value, c.value);
    }
}

} // namespace
