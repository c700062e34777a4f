// What each export of the library (other than the projection engine's)
// does with a null pointer: the documented status, or nothing at all.
#include "dialogs/window_api.h"
#include "image_description_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

using description::Tables;

TEST(NullPointers, DocumentedStatusOrNoEffect)
{
    const Tables t;
    const auto header = description::worked_header();
    IMAGETYPE it{};
    HEADER hdr{};
    unsigned char bytes[512] = {};
    char text[] = "a b";
    char *field = nullptr;
    int16_t flag = 0;
    int16_t err = 0;
    char *names[] = {nullptr};
    struct Case {
        const char *call;
        std::function<double()> run;
        double expected;
    } cases[] = {
        {"_RealPascalToDoubleC(NULL)", [] { return _RealPascalToDoubleC(nullptr); }, 0},
        {"_DoubleCtoRealPascal(NULL)",
         [] {
             _DoubleCtoRealPascal(nullptr, 1.5);
             return 0;
         },
         0},
        {"_IDAHeaderToIT header",
         [&] {
             return _IDAHeaderToIT(nullptr, &it, t.projections.data(), t.spheroids.data(),
                                   t.types.data(), 2, 1);
         },
         QUORVEX_NERR_CANNOT_OPEN},
        {"_IDAHeaderToIT pit",
         [&] {
             return _IDAHeaderToIT(header.data(), nullptr, t.projections.data(), t.spheroids.data(),
                                   t.types.data(), 2, 0);
         },
         QUORVEX_MSG_CANNOT_OPEN},
        {"_IDAHeaderToIT types",
         [&] {
             return _IDAHeaderToIT(header.data(), &it, t.projections.data(), t.spheroids.data(),
                                   nullptr, 2, 0);
         },
         QUORVEX_MSG_CANNOT_OPEN},
        {"_IDAHeaderToIT projections",
         [&] {
             return _IDAHeaderToIT(header.data(), &it, nullptr, t.spheroids.data(), t.types.data(),
                                   2, 0);
         },
         QUORVEX_MSG_CANNOT_OPEN},
        {"_IDAHeaderToIT spheroids, not needed",
         [&] {
             return _IDAHeaderToIT(header.data(), &it, t.projections.data(), nullptr,
                                   t.types.data(), 2, 0);
         },
         QUORVEX_SUCCESS},
        {"_IDAHeaderToIT spheroids, needed",
         [&] {
             auto conic = header;
             conic[23] = 4;
             return _IDAHeaderToIT(conic.data(), &it, t.projections.data(), nullptr, t.types.data(),
                                   2, 1);
         },
         QUORVEX_NERR_CANNOT_OPEN},
        {"_CharToHeader",
         [&] {
             _CharToHeader(nullptr, &hdr, t.projections.data());
             _CharToHeader(header.data(), nullptr, t.projections.data());
             _CharToHeader(header.data(), &hdr, nullptr);
             return hdr.projection;
         },
         0},
        {"_CheckCurrImageParams", [&] { return _CheckCurrImageParams(nullptr, &it, 1); },
         QUORVEX_NERR_PROJECTION_DIFFERS},
        {"_CheckCurrImageParams pit", [&] { return _CheckCurrImageParams(&hdr, nullptr, 0); },
         QUORVEX_MSG_PROJECTION_DIFFERS},
        {"_IT2IDAHeader",
         [&] {
             return _IT2IDAHeader(nullptr, bytes, t.projections.data()) +
                    _IT2IDAHeader(&it, nullptr, t.projections.data()) +
                    _IT2IDAHeader(&it, bytes, nullptr) + bytes[22];
         },
         0},
        {"_CheckInputImages pit",
         [&] {
             _CheckInputImages(nullptr, t.projections.data(), t.spheroids.data(), t.types.data(), 2,
                               names, 1, nullptr, &err);
             return err;
         },
         QUORVEX_NERR_CANNOT_OPEN},
        {"_CheckInputImages err",
         [&] {
             _CheckInputImages(&it, t.projections.data(), t.spheroids.data(), t.types.data(), 2,
                               names, 1, nullptr, nullptr);
             return 0;
         },
         0},
        {"_ReadRec rec", [] { return _ReadRec(nullptr, nullptr, nullptr, 4, nullptr); }, 0},
        {"_ReadRec punt", [&] { return _ReadRec(text, nullptr, nullptr, 4, nullptr); }, 0},
        {"_SplitField",
         [&] {
             int16_t is_equal = 7;
             field = text;
             _SplitField(nullptr, &field, &is_equal);
             _SplitField(text, nullptr, nullptr);
             return is_equal + (field == nullptr ? 0 : 10);
         },
         0},
        {"_CheckNumber", [] { return _CheckNumber(nullptr, 0, 0, 0); }, QUORVEX_BAD_NUMBER},
        {"_RetrieveLonLat", [] { return _RetrieveLonLat(nullptr, 0); }, QUORVEX_NO_VALUE},
        {"a_maiusc a_minusc",
         [] { return (a_maiusc(nullptr) == nullptr) + (a_minusc(nullptr) == nullptr); }, 2},
        {"_ChooseOneFile",
         [] { return _ChooseOneFile(nullptr, nullptr, "", "", nullptr, "", "", 0, nullptr); }, 0},
        {"_SetDir",
         [&] { return _SetDir(nullptr, nullptr, "", "", &flag, text, FileOpenHookProc, nullptr); },
         0},
        {"_GetStrinLength", [] { return _GetStrinLength(nullptr); }, 0},
        {"FileOpenHookProc, notification without data",
         [] { return static_cast<double>(FileOpenHookProc(nullptr, WM_NOTIFY, 0, 0)); }, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.run(), c.expected) << c.call;
    EXPECT_EQ(std::strcmp(text, "a b"), 0); // splitting without pointers left rec whole
}

} // namespace
