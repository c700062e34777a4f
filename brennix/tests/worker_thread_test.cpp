// The second thread is placed on another processor to start, never pinned
// there: once running it may use every processor its creator may.  Whether
// there is a second processor is the process's affinity, not the machine's.
#include "worker_thread.h"

#include <gtest/gtest.h>

#include <atomic>

#include <unistd.h>

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

    // Kept to one processor (taskset -c 0), a run has no second one, but a
    // thread still starts there and is waited for.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu(), &one);
    ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
    const bool second = second_processor();
    std::atomic<bool> ended{false};
    WorkerThread alone;
    const bool started = alone.start([&] {
        usleep(20000);
        ended = true;
    });
    alone.join();
    const bool waited = ended;
    sched_setaffinity(0, sizeof creator, &creator);
    EXPECT_FALSE(second);
    EXPECT_TRUE(started && waited);
}

} // namespace
} // namespace brennix
