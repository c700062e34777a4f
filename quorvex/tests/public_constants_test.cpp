// The header's named constants against the tables and values the library
// really uses, so that a renumbered message or a version bumped in one
// place only cannot go unnoticed.
#include "messages.h"
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PublicConstants, MessageCodesPairWithTheirOutsideNumbers)
{
    const struct {
        int local;
        int outside;
    } pairs[] = {
        {QUORVEX_MSG_CANNOT_OPEN, QUORVEX_NERR_CANNOT_OPEN},
        {QUORVEX_MSG_PROJECTION_UNKNOWN, QUORVEX_NERR_PROJECTION_UNKNOWN},
        {QUORVEX_MSG_UNMATCHED_QUOTE, QUORVEX_NERR_UNMATCHED_QUOTE},
        {QUORVEX_MSG_IDA_TYPE_DIFFERS, QUORVEX_NERR_IDA_TYPE_DIFFERS},
        {QUORVEX_MSG_SIZE_DIFFERS, QUORVEX_NERR_SIZE_DIFFERS},
        {QUORVEX_MSG_PIXEL_SIZE_DIFFERS, QUORVEX_NERR_PIXEL_SIZE_DIFFERS},
        {QUORVEX_MSG_PROJECTION_DIFFERS, QUORVEX_NERR_PROJECTION_DIFFERS},
        {QUORVEX_MSG_CENTER_DIFFERS, QUORVEX_NERR_CENTER_DIFFERS},
        {QUORVEX_MSG_PARALLELS_DIFFER, QUORVEX_NERR_PARALLELS_DIFFER},
        {QUORVEX_MSG_FALSE_ORIGIN_DIFFERS, QUORVEX_NERR_FALSE_ORIGIN_DIFFERS},
        {QUORVEX_MSG_IDA_TYPE_UNKNOWN, QUORVEX_NERR_IDA_TYPE_UNKNOWN},
        {QUORVEX_MSG_SPACE_AT_EQUALS, QUORVEX_NERR_SPACE_AT_EQUALS},
    };
    ASSERT_EQ(sizeof pairs / sizeof pairs[0], static_cast<size_t>(quorvex::message_count));
    for (int i = 0; i < quorvex::message_count; ++i) {
        EXPECT_EQ(pairs[i].local, i);
        EXPECT_EQ(quorvex::QuorvexMessage[i].tessaly_nerr, pairs[i].outside) << i;
    }
    EXPECT_EQ(quorvex::status_ok, QUORVEX_SUCCESS);
}

TEST(PublicConstants, VersionTextMatchesItsNumbers)
{
    EXPECT_EQ(std::string(QUORVEX_VERSION), std::to_string(QUORVEX_VERSION_MAJOR) + "." +
                                                std::to_string(QUORVEX_VERSION_MINOR) + "." +
                                                std::to_string(QUORVEX_VERSION_PATCH));
}

} // namespace
