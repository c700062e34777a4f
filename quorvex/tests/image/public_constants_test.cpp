// The header's message codes against the message table the library really
// uses, so that a renumbered message cannot go unnoticed.
#include "image/messages.h"
#include "quorvex/quorvex.h"

#include <gtest/gtest.h>

namespace {

TEST(PublicConstants, MessageCodesPairWithTheirOutsideNumbers)
{
#define PAIR(name)                                                                                 \
  {                                                                                                \
    QUORVEX_MSG_##name, QUORVEX_NERR_##name                                                        \
  }
    const struct {
        int local;
        int outside;
    } pairs[] = {PAIR(CANNOT_OPEN),          PAIR(PROJECTION_UNKNOWN), PAIR(UNMATCHED_QUOTE),
                 PAIR(IDA_TYPE_DIFFERS),     PAIR(SIZE_DIFFERS),       PAIR(PIXEL_SIZE_DIFFERS),
                 PAIR(PROJECTION_DIFFERS),   PAIR(CENTER_DIFFERS),     PAIR(PARALLELS_DIFFER),
                 PAIR(FALSE_ORIGIN_DIFFERS), PAIR(IDA_TYPE_UNKNOWN),   PAIR(SPACE_AT_EQUALS)};
#undef PAIR
    ASSERT_EQ(sizeof pairs / sizeof pairs[0], static_cast<size_t>(quorvex::message_count));
    for (int i = 0; i < quorvex::message_count; ++i) {
        EXPECT_EQ(pairs[i].local, i);
        EXPECT_EQ(quorvex::QuorvexMessage[i].tessaly_nerr, pairs[i].outside) << i;
    }
}

} // namespace
