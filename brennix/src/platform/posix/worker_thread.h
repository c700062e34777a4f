// A second thread for work that runs beside the caller's, on another
// processor from its first instruction on.
#ifndef BRENNIX_WORKER_THREAD_H
#define BRENNIX_WORKER_THREAD_H

#include <functional>
#include <pthread.h>
#include <sched.h>

namespace brennix {

// Whether the process may run on more than one processor: its affinity
// where the system tells it, else the machine's count.
bool second_processor();

class WorkerThread {
public:
    WorkerThread() = default;
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;
    ~WorkerThread() { join(); }

    // Runs `body` on a new thread; false when no thread could be had.
    bool start(std::function<void()> body);
    // Waits for the body to end; nothing when none was started.
    void join();

private:
    static void *run(void *self);

    std::function<void()> body_;
    pthread_t thread_{};
    bool started_ = false;
#ifdef __GLIBC__
    // The creator's processors, which the thread takes back once running.
    cpu_set_t allowed_{};
    bool placed_ = false;
#endif
};

} // namespace brennix

#endif
