// Composing the messages that reach callers through their text buffers.
#include "image/error_message.h"
#include "image/messages.h"

#include <stdio.h>

namespace quorvex {

namespace {

const char *or_empty(const char *text)
{
    return text != nullptr ? text : "";
}

} // namespace

void _PushErrorMessage(char **p, int16_t err, const char *p1, const char *arg1, const char *arg2)
{
    if (p == nullptr || *p == nullptr || err < 0 || err >= message_count)
        return;
    if (p1 != nullptr)
        *p += sprintf(*p, "File <%s>: ", p1);
        // Every entry has at most two placeholders, all of them %s; surplus
        // arguments are ignored by the formatter.  The format is an entry of
        // the library's own constant table, never outside text, which the
        // compiler cannot see through.
#if defined(__GNUC__)
#  pragma GCC diagnostic push
#  pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    *p += sprintf(*p, QuorvexMessage[err].message, or_empty(arg1), or_empty(arg2));
#if defined(__GNUC__)
#  pragma GCC diagnostic pop
#endif
}

} // namespace quorvex
