// Where a new thread first runs is the scheduler's choice, and some put it
// on its creator's processor, to be moved only at the next balancing: on a
// virtual machine measured here the second half of an image started 0.5 to
// 4 ms late that way, the halves ran mostly one after the other, and a
// 64 MiB image took 15 to 18% longer than with the thread started on the
// other processor.  So the thread starts on another processor the process
// may use and takes back its creator's whole set at once: it is placed,
// never pinned.
#include "worker_thread.h"

#include <thread>
#include <utility>

namespace brennix {

bool second_processor()
{
#ifdef __GLIBC__
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        return CPU_COUNT(&allowed) > 1;
#endif
    return std::thread::hardware_concurrency() > 1;
}

bool WorkerThread::start(std::function<void()> body)
{
    body_ = std::move(body);
#ifdef __GLIBC__
    // The creator's set without the processor it runs on now.
    cpu_set_t elsewhere;
    CPU_ZERO(&elsewhere);
    const int here = sched_getcpu();
    if (here >= 0 && here < CPU_SETSIZE && sched_getaffinity(0, sizeof allowed_, &allowed_) == 0) {
        elsewhere = allowed_;
        CPU_CLR(here, &elsewhere);
    }
    pthread_attr_t attributes;
    if (CPU_COUNT(&elsewhere) > 0 && pthread_attr_init(&attributes) == 0) {
        // Set before the thread exists, which reads it.
        placed_ = true;
        started_ = pthread_attr_setaffinity_np(&attributes, sizeof elsewhere, &elsewhere) == 0 &&
                   pthread_create(&thread_, &attributes, run, this) == 0;
        pthread_attr_destroy(&attributes);
    }
    // Where the placement is refused, the thread goes wherever it is put.
    if (!started_)
        placed_ = false;
#endif
    if (!started_)
        started_ = pthread_create(&thread_, nullptr, run, this) == 0;
    return started_;
}

void *WorkerThread::run(void *self)
{
    auto &worker = *static_cast<WorkerThread *>(self);
#ifdef __GLIBC__
    if (worker.placed_)
        pthread_setaffinity_np(pthread_self(), sizeof worker.allowed_, &worker.allowed_);
#endif
    worker.body_();
    return nullptr;
}

void WorkerThread::join()
{
    if (started_)
        pthread_join(thread_, nullptr);
    started_ = false;
}

} // namespace brennix
