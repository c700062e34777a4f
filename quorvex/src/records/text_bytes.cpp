// ASCII case conversion in place and swapping the bytes of 16-bit words.
#include "quorvex/quorvex.h"

#include <stddef.h>

extern "C" char *QUORVEX_CALL a_maiusc(char *s)
{
    if (s == nullptr)
        return s;
    // Only ASCII letters change: bytes above 127 belong to a code page.
    for (char *c = s; *c != '\0'; ++c)
        if (*c >= 'a' && *c <= 'z')
            *c = static_cast<char>(*c - 32);
    return s;
}

extern "C" char *QUORVEX_CALL a_minusc(char *s)
{
    if (s == nullptr)
        return s;
    for (char *c = s; *c != '\0'; ++c)
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c + 32);
    return s;
}

extern "C" void QUORVEX_CALL _ReverseOrder(void *buffer, int dim)
{
    if (buffer == nullptr || dim <= 0)
        return;
    unsigned char *bytes = static_cast<unsigned char *>(buffer);
    const size_t words = static_cast<size_t>(dim);
    for (size_t at = 0; at < 2 * words; at += 2) {
        const unsigned char first = bytes[at];
        bytes[at] = bytes[at + 1];
        bytes[at + 1] = first;
    }
}
