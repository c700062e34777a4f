// The calls on files that differ between platforms, under the shared file
// access (file_access.cpp): each platform half implements them on its own
// descriptors.  A handle is a descriptor, -1 when there is none; every
// failure leaves its reason in `error`.
#ifndef BRENNIX_FILE_SYSTEM_H
#define BRENNIX_FILE_SYSTEM_H

#include <cstddef>
#include <string>

namespace brennix {
namespace file_system {

// Opens for reading; the size when the file is a regular file, else -1.
int open_for_reading(const std::string &name, long long &known_size, std::string &error);
// Opens the file to be written from its start, creating it where it is
// missing.  On POSIX systems an existing file keeps its bytes until they
// are written over or cut off by cut(); Windows empties it here.
int create(const std::string &name, std::string &error);
// Ends the file after `length` bytes where it holds more and is a plain
// file (a device or a pipe has no end to move).
bool cut(int handle, unsigned long long length);
// Moves up to count bytes; the count moved, 0 at the end, -1 on error.
long long read_some(int handle, unsigned char *into, std::size_t count);
long long write_some(int handle, const unsigned char *bytes, std::size_t count);
bool close(int handle);
#ifndef _WIN32
// The same at a given offset, leaving the handle's position alone, so that
// two threads can work on one file at once.
long long read_some_at(int handle, unsigned char *into, std::size_t count,
                       unsigned long long offset);
long long write_some_at(int handle, const unsigned char *bytes, std::size_t count,
                        unsigned long long offset);
#endif
// The text of the last failed call on a handle.
std::string last_error_text();

// Opens where the bytes of `name` are written before they replace it: a new
// temporary file beside it (its name in `temporary`), or the named device
// itself (`temporary` empty), which is written directly.  On POSIX systems,
// where `name` is a link to a file it becomes the name of that file, the one
// to replace, and the link stays, as it does for files written in place;
// Windows replaces the link.
int begin_replacement(std::string &name, std::string &temporary, std::string &error);
// Lays out `size` bytes of the temporary file at once, where that is done.
void reserve(int handle, unsigned long long size);
// Puts the closed temporary file in place of `name`, in one step.
bool put_in_place(const std::string &temporary, const std::string &name, std::string &error);
// The temporary file is gone (removed) or in place (kept): no longer ours.
void remove_temporary(const std::string &temporary);
void release_temporary(const std::string &temporary);

} // namespace file_system
} // namespace brennix

#endif
