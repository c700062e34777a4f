// Writing a message of the library's table into a caller's text buffer.
#ifndef QUORVEX_ERROR_MESSAGE_H
#define QUORVEX_ERROR_MESSAGE_H

#include <stdint.h>

namespace quorvex {

// Writes, at *p, "File <p1>: " when p1 is given, then the text of message
// entry err with its placeholders filled from arg1 and arg2 in order, and
// moves *p past what it wrote (onto the terminating zero).  Never writes a
// line end after the message.  A null argument is written as an empty
// text.  The caller provides the room (see _CheckInputImages).
void _PushErrorMessage(char **p, int16_t err, const char *p1, const char *arg1,
                       const char *arg2 = nullptr);

} // namespace quorvex

#endif
