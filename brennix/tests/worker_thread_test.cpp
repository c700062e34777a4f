// The second thread is placed on another processor to start, never pinned
// there: once running it may use every processor its creator may.
#include "worker_thread.h"

#include <gtest/gtest.h>

namespace brennix {
namespace {

TEST(WorkerThread, RunsWithItsCreatorsProcessors)
{
    cpu_set_t creator;
    cpu_set_t worker;
    ASSERT_EQ(sched_getaffinity(0, sizeof creator, &creator), 0);
    CPU_ZERO(&worker);
    bool ran = false;
    {
        WorkerThread thread;
        ASSERT_TRUE(thread.start([&] { ran = sched_getaffinity(0, sizeof worker, &worker) == 0; }));
    } // the destructor waits for it
    ASSERT_TRUE(ran);
    EXPECT_TRUE(CPU_EQUAL(&worker, &creator));
    EXPECT_EQ(second_processor(), CPU_COUNT(&creator) > 1);
}

} // namespace
} // namespace brennix
