// Splitting text records into fields and key=value fields into key and value.
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Splits a copy of text without a stream and tells, as one text, the count,
// the fields between brackets, the error (-1 when not written, as it starts)
// and how many pointers of punt were written; "kept" when the record came
// back as it went in.
std::string split(const std::string &text, int16_t num)
{
    std::vector<char> rec(text.begin(), text.end());
    rec.push_back('\0');
    char *const marker = reinterpret_cast<char *>(0x1);
    std::vector<char *> punt(12, marker);
    int16_t error = -1;
    const int count = _ReadRec(rec.data(), punt.data(), nullptr, num, &error);
    std::string got = std::to_string(count);
    for (int i = 0; i < count && i < 12; ++i)
        got += std::string(" [") + punt[i] + "]";
    got += " error " + std::to_string(error) + " written ";
    got += std::to_string(
        std::count_if(punt.begin(), punt.end(), [&](char *p) { return p != marker; }));
    return got + (std::string(rec.data()) == text ? " kept" : "");
}

// Each record, num, and the outcome of split(); -100 with error 11: a space
// next to '=', nothing split.
TEST(ReadRec, SplitsRecordsOfTheSyntax)
{
    const struct {
        const char *text;
        int16_t num;
        const char *got;
    } cases[] = {
        {"NAME=abc ; comment", 10, "1 [NAME=abc] error -1 written 1"},
        {"\"two words\" next", 10, "2 [two words] [next] error -1 written 2"},
        {"label=\"a b\" x", 10, "2 [label=\"a b] [x] error -1 written 2"},
        {"a \"b;c\"", 10, "2 [a] [b] error -1 written 2"},
        {"a #\"b c\"", 10, "1 [a] error -1 written 1"},
        {"   \t  ", 10, "0 error -1 written 0 kept"},
        {"; only a comment", 10, "0 error -1 written 0"},
        {"# = also a comment", 10, "0 error -1 written 0"},
        {"", 10, "0 error -1 written 0 kept"},
        {"  lead\tand  trail \t", 10, "3 [lead] [and] [trail] error -1 written 3"},
        {"one\ntwo", 10, "1 [one] error -1 written 1"},
        {"cr\r here", 10, "2 [cr\r] [here] error -1 written 2"},
        {"=first", 10, "1 [=first] error -1 written 1 kept"},
        {"a=b=c", 10, "1 [a=b=c] error -1 written 1 kept"},
        // a tab ends a field even between quotes; the quote stays open
        {"\"x\ty z\" w", 10, "3 [x] [y z] [w] error -1 written 3"},
        {"\"open and never closed", 10, "1 [open and never closed] error -1 written 1 kept"},
        // a space next to '=' is refused before splitting; only a space
        // counts, and only before the first comment character
        {"NAME = abc", 10, "-100 error 11 written 0 kept"},
        {"NAME= abc", 10, "-100 error 11 written 0 kept"},
        {"NAME =abc", 10, "-100 error 11 written 0 kept"},
        {"ok=1 \"q = 2\"", 10, "-100 error 11 written 0 kept"},
        {"a\tb =c", 10, "-100 error 11 written 0 kept"},
        {"a=\tb", 10, "2 [a=] [b] error -1 written 2"},
        {"a=b ; c = d", 10, "1 [a=b] error -1 written 1"},
        // num limits the fields and the pointers written; 0 or less: none
        {"a b c", 2, "2 [a] [b] error -1 written 2"},
        {"a b", 1, "1 [a] error -1 written 1"},
        {"a b c", 0, "0 error -1 written 0 kept"},
        {"a b c", -1, "0 error -1 written 0 kept"},
        {"a b c", -32768, "0 error -1 written 0 kept"},
        // odd quotes are reported when the last allowed field ends with
        // the count of quotes at 1, not when a field is still open at the end
        {"a \"b c", 2, "2 [a] [b c] error -1 written 2"},
        {"a=\"b c\" d", 1, "1 [a=\"b c] error -1 written 1"},
        {"x=\"y\tz", 1, "1 [x=\"y] error 2 written 1"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(split(c.text, c.num), c.got) << c.text << " num " << c.num;
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
    const struct {
        const char *field;
        const char *key;
        const char *value; // nullptr: no value
        int16_t is_equal;
    } cases[] = {
        {"label=\"a b", "label", "a b", 1}, {"key=", "key", nullptr, 1},
        {"key=\"\"", "key", nullptr, 1},    {"plain", "plain", nullptr, 0},
        {"a=b=c", "a", "b=c", 1},           {"=v", "", "v", 1},
    };
    for (const auto &c : cases) {
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
