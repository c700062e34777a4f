// What each export of the library (other than the projection engine's)
// does with a null pointer: the documented status, or nothing at all.
#include "dialogs/window_api.h"
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(NullPointers, DocumentedStatusOrNoEffect)
{
    const description::Tables t;
    const PROJITEM *p = t.projections.data();
    const SFEROID *s = t.spheroids.data();
    const IDATYPE *types = t.types.data();
    auto header = description::worked_header();
    IMAGETYPE it{};
    HEADER hdr{};
    unsigned char bytes[512] = {};
    char text[] = "a b";
    char *field = text;
    int16_t flag = 0, err = 0, is_equal = 7;
    char *names[] = {nullptr};
    EXPECT_EQ(_RealPascalToDoubleC(nullptr), 0.0);
    _DoubleCtoRealPascal(nullptr, 1.5);
    EXPECT_EQ(_IDAHeaderToIT(nullptr, &it, p, s, types, 2, 1), QUORVEX_NERR_CANNOT_OPEN);
    EXPECT_EQ(_IDAHeaderToIT(header.data(), nullptr, p, s, types, 2, 0), QUORVEX_MSG_CANNOT_OPEN);
    EXPECT_EQ(_IDAHeaderToIT(header.data(), &it, p, s, nullptr, 2, 0), QUORVEX_MSG_CANNOT_OPEN);
    EXPECT_EQ(_IDAHeaderToIT(header.data(), &it, nullptr, s, types, 2, 1),
              QUORVEX_NERR_CANNOT_OPEN);
    // spheroids: not needed for projection 3, needed for the conic
    EXPECT_EQ(_IDAHeaderToIT(header.data(), &it, p, nullptr, types, 2, 0), QUORVEX_SUCCESS);
    header[23] = 4;
    EXPECT_EQ(_IDAHeaderToIT(header.data(), &it, p, nullptr, types, 2, 1),
              QUORVEX_NERR_CANNOT_OPEN);
    _CharToHeader(nullptr, &hdr, p);
    _CharToHeader(header.data(), nullptr, p);
    _CharToHeader(header.data(), &hdr, nullptr);
    EXPECT_EQ(hdr.projection, 0);
    EXPECT_EQ(_CheckCurrImageParams(nullptr, &it, 1), QUORVEX_NERR_PROJECTION_DIFFERS);
    EXPECT_EQ(_CheckCurrImageParams(&hdr, nullptr, 0), QUORVEX_MSG_PROJECTION_DIFFERS);
    EXPECT_EQ(_IT2IDAHeader(nullptr, bytes, p), 0);
    EXPECT_EQ(_IT2IDAHeader(&it, nullptr, p), 0);
    EXPECT_EQ(_IT2IDAHeader(&it, bytes, nullptr), 0);
    EXPECT_EQ(bytes[22], 0);
    _CheckInputImages(nullptr, p, s, types, 2, names, 1, nullptr, &err);
    EXPECT_EQ(err, QUORVEX_NERR_CANNOT_OPEN);
    err = 0;
    _CheckInputImages(&it, p, s, types, 2, names, 1, nullptr, &err); // a null name
    EXPECT_EQ(err, QUORVEX_NERR_CANNOT_OPEN);
    _CheckInputImages(&it, p, s, types, 2, names, 1, nullptr, nullptr);
    description::TempDir dir; // without a table the header needs, its file is named
    const std::string file = dir.write("a.ida", description::worked_header());
    char *one[] = {const_cast<char *>(file.c_str())}, message[300] = "", *end = message;
    err = 0;
    _CheckInputImages(&it, p, s, types, 2, one, 0, nullptr, &err); // no files at all
    EXPECT_EQ(err, QUORVEX_NERR_CANNOT_OPEN);
    _CheckInputImages(&it, nullptr, s, types, 2, one, 1, &end, &err);
    EXPECT_EQ(message, " Cannot open file <" + file + ">.");
    EXPECT_EQ(_ReadRec(nullptr, nullptr, nullptr, 4, nullptr), 0);
    EXPECT_EQ(_ReadRec(text, nullptr, nullptr, 4, nullptr), 0);
    _SplitField(nullptr, &field, &is_equal);
    _SplitField(text, nullptr, nullptr);
    EXPECT_EQ(is_equal, 0);
    EXPECT_EQ(field, nullptr);
    EXPECT_STREQ(text, "a b"); // splitting without pointers left the record whole
    EXPECT_EQ(_CheckNumber(nullptr, 0, 0, 0), QUORVEX_BAD_NUMBER);
    EXPECT_EQ(_RetrieveLonLat(nullptr, 0), QUORVEX_NO_VALUE);
    EXPECT_EQ(a_maiusc(nullptr), nullptr);
    EXPECT_EQ(a_minusc(nullptr), nullptr);
    EXPECT_EQ(_ChooseOneFile(nullptr, nullptr, "", "", nullptr, "", "", 0, nullptr), 0);
    EXPECT_EQ(_SetDir(nullptr, nullptr, "", "", &flag, text, FileOpenHookProc, nullptr), 0);
    EXPECT_EQ(_GetStrinLength(nullptr), 0);
    EXPECT_EQ(FileOpenHookProc(nullptr, WM_NOTIFY, 0, 0), 0u); // notification without data
}

} // namespace
