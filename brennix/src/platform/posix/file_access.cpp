// File access on POSIX systems, on plain descriptors: large transfers go to
// the kernel in one piece, and every error carries its errno text.
#include "file_access.h"

#include "ending_signals.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brennix {
namespace {

std::string errno_text() { return std::strerror(errno); }

// Writes all bytes, resuming after interruptions and partial writes.
bool write_all(int handle, const unsigned char *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t done = ::write(handle, bytes, count);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

std::string folder_of(const std::string &name)
{
    const std::size_t slash = name.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : name.substr(0, slash);
}

// The mode a plain creat() would give, since mkstemp makes private files.
mode_t default_file_mode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

} // namespace

void InputFile::close()
{
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
}

bool InputFile::open(const std::string &name)
{
    handle_ = ::open(name.c_str(), O_RDONLY);
    if (handle_ < 0) {
        error_ = errno_text();
        return false;
    }
    struct stat info;
    if (fstat(handle_, &info) == 0 && S_ISDIR(info.st_mode)) {
        error_ = std::strerror(EISDIR);
        return false;
    }
    if (fstat(handle_, &info) == 0 && S_ISREG(info.st_mode))
        known_size_ = static_cast<long long>(info.st_size);
    return true;
}

std::size_t InputFile::read(unsigned char *into, std::size_t count)
{
    std::size_t total = 0;
    while (total < count) {
        const ssize_t done = ::read(handle_, into + total, count - total);
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0) {
            error_ = errno_text();
            break;
        }
        if (done == 0)
            break;
        total += static_cast<std::size_t>(done);
    }
    return total;
}

OutputFile::~OutputFile()
{
    if (handle_ >= 0)
        ::close(handle_);
}

bool OutputFile::create(const std::string &name)
{
    handle_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (handle_ < 0) {
        error_ = errno_text();
        return false;
    }
    return true;
}

bool OutputFile::write(const void *bytes, std::size_t count)
{
    if (!write_all(handle_, static_cast<const unsigned char *>(bytes), count)) {
        error_ = errno_text();
        return false;
    }
    return true;
}

bool OutputFile::close()
{
    const int handle = handle_;
    handle_ = -1;
    if (::close(handle) != 0) {
        error_ = errno_text();
        return false;
    }
    return true;
}

ReplacingFile::~ReplacingFile() { abandon(); }

void ReplacingFile::abandon()
{
    if (handle_ >= 0)
        ::close(handle_);
    handle_ = -1;
    if (!temporary_.empty()) {
        set_file_to_remove(nullptr);
        ::unlink(temporary_.c_str());
    }
    temporary_.clear();
}

bool ReplacingFile::begin(const std::string &name)
{
    name_ = name;
    // Renaming over a device or a pipe would put a plain file in its place
    // and report success for bytes the device never saw.
    struct stat info;
    const bool device =
        stat(name.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    if (device) {
        handle_ = ::open(name.c_str(), O_WRONLY);
        if (handle_ < 0) {
            error_ = errno_text();
            return false;
        }
        return true;
    }
    // A signal that ends the run removes the temporary file; it is held
    // back until the file is known by name, so none slips in between.
    {
        const HeldEndingSignals held;
        temporary_ = folder_of(name) + "/.brennix-XXXXXX";
        handle_ = mkstemp(&temporary_[0]);
        if (handle_ < 0) {
            error_ = errno_text();
            temporary_.clear();
            return false;
        }
        set_file_to_remove(temporary_.c_str());
    }
    if (fchmod(handle_, default_file_mode()) != 0) {
        error_ = errno_text();
        abandon();
        return false;
    }
    return true;
}

void ReplacingFile::reserve(unsigned long long size)
{
#if defined(__linux__)
    // Without it every extending write reserves its own blocks; with it the
    // file is laid out at once.  The size grows only with the writes, so a
    // run that stops early leaves nothing to trim.  A refusal changes
    // nothing: the writes then find what space there is, as before.
    if (handle_ >= 0 && !temporary_.empty())
        static_cast<void>(fallocate(handle_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)));
#else
    static_cast<void>(size);
#endif
}

bool ReplacingFile::write(const void *bytes, std::size_t count)
{
    if (handle_ < 0)
        return false;
    if (!write_all(handle_, static_cast<const unsigned char *>(bytes), count)) {
        error_ = errno_text();
        abandon();
        return false;
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (handle_ < 0)
        return false;
    const int handle = handle_;
    handle_ = -1;
    if (::close(handle) != 0 ||
        (!temporary_.empty() && std::rename(temporary_.c_str(), name_.c_str()) != 0)) {
        error_ = errno_text();
        abandon();
        return false;
    }
    if (!temporary_.empty())
        set_file_to_remove(nullptr);
    temporary_.clear();
    return true;
}

bool same_existing_file(const std::string &a, const std::string &b)
{
    struct stat first;
    struct stat second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace brennix
