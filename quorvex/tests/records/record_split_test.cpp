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
    int written;    // pointers of punt written
    bool text_kept; // the record came back as it went in
};

// Splits a copy of text without a stream; error starts at -1 so that any
// write to it shows, and punt holds a marker so that any write to it shows.
Split split(const std::string &text, int16_t num = 10)
{
    std::vector<char> rec(text.begin(), text.end());
    rec.push_back('\0');
    char *const marker = reinterpret_cast<char *>(0x1);
    std::vector<char *> punt(12, marker);
    int16_t error = -1;
    Split result{_ReadRec(rec.data(), punt.data(), nullptr, num, &error),
                 {},
                 0,
                 0,
                 std::string(rec.data()) == text};
    for (int i = 0; i < result.count && i < 12; ++i)
        result.fields.emplace_back(punt[i]);
    result.error = error;
    for (char *p : punt)
        result.written += p != marker;
    return result;
}

TEST(ReadRec, SplitsRecordsOfTheSyntax)
{
    const int16_t refused = -100; // a space next to '=': nothing split
    struct Case {
        const char *text;
        int16_t num;
        std::vector<std::string> fields;
        int16_t error = -1; // -1: not written
        int16_t count = 0;  // 0: as many as fields
    };
    const Case cases[] = {
        {"NAME=abc ; comment", 10, {"NAME=abc"}},
        {"\"two words\" next", 10, {"two words", "next"}},
        {"label=\"a b\" x", 10, {"label=\"a b", "x"}},
        {"a \"b;c\"", 10, {"a", "b"}},
        {"a #\"b c\"", 10, {"a"}},
        {"   \t  ", 10, {}},
        {"; only a comment", 10, {}},
        {"# = also a comment", 10, {}},
        {"", 10, {}},
        {"  lead\tand  trail \t", 10, {"lead", "and", "trail"}},
        {"one\ntwo", 10, {"one"}},
        {"cr\r here", 10, {"cr\r", "here"}},
        {"=first", 10, {"=first"}},
        {"a=b=c", 10, {"a=b=c"}},
        // a tab ends a field even between quotes; the quote stays open
        {"\"x\ty z\" w", 10, {"x", "y z", "w"}},
        {"\"open and never closed", 10, {"open and never closed"}},
        // a space next to '=' is refused before splitting; only a space
        // counts, and only before the first comment character
        {"NAME = abc", 10, {}, 11, refused},
        {"NAME= abc", 10, {}, 11, refused},
        {"NAME =abc", 10, {}, 11, refused},
        {"ok=1 \"q = 2\"", 10, {}, 11, refused},
        {"a\tb =c", 10, {}, 11, refused},
        {"a=\tb", 10, {"a=", "b"}},
        {"a=b ; c = d", 10, {"a=b"}},
        // num limits the fields and the pointers written; 0 or less: none
        {"a b c", 2, {"a", "b"}},
        {"a b", 1, {"a"}},
        {"a b c", 0, {}},
        {"a b c", -1, {}},
        {"a b c", -32768, {}},
        // odd quotes are reported when the last allowed field ends with
        // the count of quotes at 1, not when a field is still open at the end
        {"a \"b c", 2, {"a", "b c"}},
        {"a=\"b c\" d", 1, {"a=\"b c"}},
        {"x=\"y\tz", 1, {"x=\"y"}, 2},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.text) + " num " + std::to_string(c.num));
        const Split got = split(c.text, c.num);
        const int16_t count = c.count != 0 ? c.count : static_cast<int16_t>(c.fields.size());
        EXPECT_EQ(got.count, count);
        EXPECT_EQ(got.fields, c.fields);
        EXPECT_EQ(got.error, c.error);
        EXPECT_EQ(got.written, count > 0 ? count : 0);
        EXPECT_TRUE(count != refused || got.text_kept) << "refused record changed";
    }
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
        const char *value; // nullptr: no value
        int16_t is_equal;
    };
    const Case cases[] = {
        {"label=\"a b", "label", "a b", 1}, {"key=", "key", nullptr, 1},
        {"key=\"\"", "key", nullptr, 1},    {"plain", "plain", nullptr, 0},
        {"a=b=c", "a", "b=c", 1},           {"=v", "", "v", 1},
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
