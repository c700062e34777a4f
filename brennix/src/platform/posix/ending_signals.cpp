// The handler of the signals that end a run.  Its state is read inside the
// handler: lock-free atomics only.
#include "ending_signals.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <unistd.h>

namespace brennix {
namespace {

const int ending_signals[] = {SIGINT, SIGTERM, SIGQUIT, SIGHUP};
constexpr std::size_t signal_count = sizeof ending_signals / sizeof ending_signals[0];
struct sigaction previous_actions[signal_count];
bool handler_installed = false;

std::atomic<void (*)()> terminal_undo{nullptr};
std::atomic<const char *> file_to_remove{nullptr};
static_assert(std::atomic<const char *>::is_always_lock_free, "read in a signal handler");

void end_by_signal(int signal_number)
{
    if (const char *name = file_to_remove.load())
        ::unlink(name);
    if (void (*undo)() = terminal_undo.load())
        undo();
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
}

// The handler is in place exactly while there is something to undo.
void update_handler()
{
    const bool wanted = terminal_undo.load() != nullptr || file_to_remove.load() != nullptr;
    if (wanted == handler_installed)
        return;
    if (wanted) {
        struct sigaction action {};
        action.sa_handler = end_by_signal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < signal_count; ++i) {
            sigaction(ending_signals[i], nullptr, &previous_actions[i]);
            if (previous_actions[i].sa_handler != SIG_IGN)
                sigaction(ending_signals[i], &action, nullptr);
        }
    } else {
        for (std::size_t i = 0; i < signal_count; ++i)
            sigaction(ending_signals[i], &previous_actions[i], nullptr);
    }
    handler_installed = wanted;
}

} // namespace

HeldEndingSignals::HeldEndingSignals()
{
    sigset_t held;
    sigemptyset(&held);
    for (const int signal_number : ending_signals)
        sigaddset(&held, signal_number);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
}

HeldEndingSignals::~HeldEndingSignals()
{
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void set_terminal_undo(void (*undo)())
{
    const HeldEndingSignals held;
    terminal_undo = undo;
    update_handler();
}

void set_file_to_remove(const char *name)
{
    const HeldEndingSignals held;
    file_to_remove = name;
    update_handler();
}

} // namespace brennix
