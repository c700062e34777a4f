// The library's message table: every failure has a local code (its index
// here) and the number under which it is known outside the library.
#ifndef QUORVEX_MESSAGES_H
#define QUORVEX_MESSAGES_H

#include <stdint.h>

typedef struct {
    const char *message;  // format text, at most the placeholders shown
    int16_t tessaly_nerr; // the error's number outside the library
} QUORVEX_MESSAGE;

namespace quorvex {

constexpr int message_count = 12;

extern const QUORVEX_MESSAGE QuorvexMessage[message_count];

// A failure as the caller asked for it: the local code itself, or its
// outside number when called_from_outside is set.
int16_t status_for(int16_t local_code, int called_from_outside);

} // namespace quorvex

#endif
