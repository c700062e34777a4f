// What a signal that ends the run (interrupt, termination, quit, hang-up)
// must undo on POSIX systems: the terminal's state and the temporary file
// of an image not yet in place.  The handler undoes both, then ends the
// process by the same signal, so that its parent sees how the run ended.
// It is in place only while something is registered; a signal the caller
// chose to ignore stays ignored.
#ifndef BRENNIX_ENDING_SIGNALS_H
#define BRENNIX_ENDING_SIGNALS_H

#include <signal.h>

namespace brennix {

// Holds the ending signals back while it lives: a file made and registered
// inside one such scope cannot be left behind by a signal in between.
class HeldEndingSignals {
public:
    HeldEndingSignals();
    HeldEndingSignals(const HeldEndingSignals &) = delete;
    HeldEndingSignals &operator=(const HeldEndingSignals &) = delete;
    ~HeldEndingSignals();

private:
    sigset_t previous_;
};

// The terminal's undo step, which may make only async-signal-safe calls;
// nullptr when there is nothing to undo.
void set_terminal_undo(void (*undo)());
// The file to remove; the text must live until it is replaced by another
// or by nullptr.
void set_file_to_remove(const char *name);

} // namespace brennix

#endif
