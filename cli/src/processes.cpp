// Work shared out between processes: the engine keeps its state per
// process, so a command that converts many lines runs them in children
// forked for the purpose, each writing its lines into memory they share.
#include "cli.h"

#include <algorithm>
#include <cerrno>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace cli {

namespace {

// Shared memory is made to be written whole: its pages made at once cost
// less than a fault at each page's first touch, in a child or after.
#ifdef MAP_POPULATE
constexpr int populated = MAP_POPULATE;
#else
constexpr int populated = 0;
#endif

} // namespace

SharedBytes::SharedBytes(std::size_t size) : size_(size)
{
    if (size_ == 0)
        return;
    void *map =
        mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS | populated, -1, 0);
    if (map == MAP_FAILED)
        throw std::bad_alloc();
    bytes_ = static_cast<unsigned char *>(map);
}

SharedBytes::~SharedBytes()
{
    if (bytes_ != nullptr)
        munmap(bytes_, size_);
}

namespace {

// Lines first to last - 1 made by make; the reason they could not be, or
// "".
std::string make_lines(const std::function<void(int)> &make, int first, int last)
{
    try {
        for (int y = first; y < last; ++y)
            make(y);
    } catch (const InputError &e) {
        return e.what();
    } catch (const std::bad_alloc &) {
        return "out of memory";
    }
    return "";
}

} // namespace

// Each child makes a band of lines and sends the reason it failed, if it
// did, through a pipe; this process makes the first band.  Where no child
// can be started, this process makes them all.
void make_all(int first, int last, const std::function<void(int)> &make)
{
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    const int rows = last - first;
    const int bands = static_cast<int>(std::max(1L, std::min({processors, 16L, rows / 16L})));
    struct Child {
        pid_t pid;
        int reason;
        int first, last;
    };
    std::vector<Child> children;
    int made = last; // the lines from here on are made by children
    std::fflush(nullptr);
    for (int band = bands - 1; band > 0; --band) {
        const int from = first + static_cast<int>(int64_t(rows) * band / bands);
        int pipe_ends[2];
        if (pipe(pipe_ends) != 0)
            break;
        const pid_t pid = fork();
        if (pid == 0) {
            close(pipe_ends[0]);
            const std::string why = make_lines(make, from, made);
            const bool sent = write(pipe_ends[1], why.data(), why.size()) == ssize_t(why.size());
            _exit(why.empty() && sent ? 0 : 1);
        }
        close(pipe_ends[1]);
        if (pid < 0) {
            close(pipe_ends[0]);
            break;
        }
        children.push_back({pid, pipe_ends[0], from, made});
        made = from;
    }
    std::string why = make_lines(make, first, made);
    for (const Child &child : children) {
        std::string reason;
        char text[256];
        for (ssize_t got; (got = read(child.reason, text, sizeof text)) > 0;)
            reason.append(text, std::size_t(got));
        close(child.reason);
        int status = 0;
        while (waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (reason.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            reason = "lines " + std::to_string(child.first) + " to " +
                     std::to_string(child.last - 1) + " could not be made";
        if (why.empty())
            why = reason;
    }
    if (!why.empty())
        throw InputError(why);
}
} // namespace cli
