// File access as every platform does it: whole transfers out of partial
// ones, and the life of a replacement (written whole under a temporary name,
// put in place by commit, removed on any failure or when abandoned).  The
// calls on descriptors and names are the platform half's (file_system.h).
#include "file_access.h"

#include "file_system.h"

namespace brennix {
namespace {

// A whole transfer out of partial ones: move(done, left) moves up to `left`
// bytes after the `done` already moved and returns how many, 0 at the end
// of a file, -1 on an error.  Returns the count moved; `failed` tells an
// error from the end, with errno still that of the failed call.
template <typename Move>
std::size_t move_all(std::size_t count, bool &failed, Move move)
{
    std::size_t total = 0;
    while (total < count) {
        const long long done = move(total, count - total);
        if (done <= 0) {
            failed = done < 0;
            break;
        }
        total += static_cast<std::size_t>(done);
    }
    return total;
}

bool write_all(int handle, const unsigned char *bytes, std::size_t count)
{
    bool failed = false;
    return move_all(count, failed, [&](std::size_t done, std::size_t left) {
               return file_system::write_some(handle, bytes + done, left);
           }) == count;
}

} // namespace

void InputFile::close()
{
    if (handle_ >= 0)
        file_system::close(handle_);
    handle_ = -1;
}

bool InputFile::open(const std::string &name)
{
    handle_ = file_system::open_for_reading(name, known_size_, error_);
    return handle_ >= 0;
}

std::size_t InputFile::read(unsigned char *into, std::size_t count)
{
    bool failed = false;
    const std::size_t got = move_all(count, failed, [&](std::size_t done, std::size_t left) {
        return file_system::read_some(handle_, into + done, left);
    });
    if (failed)
        error_ = file_system::last_error_text();
    return got;
}

#ifndef _WIN32
std::size_t InputFile::read_at(unsigned char *into, std::size_t count, unsigned long long offset,
                               std::string &error) const
{
    bool failed = false;
    const std::size_t got = move_all(count, failed, [&](std::size_t done, std::size_t left) {
        return file_system::read_some_at(handle_, into + done, left, offset + done);
    });
    if (failed)
        error = file_system::last_error_text();
    return got;
}
#endif

OutputFile::~OutputFile()
{
    if (handle_ >= 0)
        file_system::close(handle_);
}

bool OutputFile::create(const std::string &name)
{
    handle_ = file_system::create(name, error_);
    return handle_ >= 0;
}

bool OutputFile::write(const void *bytes, std::size_t count)
{
    if (!write_all(handle_, static_cast<const unsigned char *>(bytes), count)) {
        error_ = file_system::last_error_text();
        return false;
    }
    written_ += count;
    if (!file_system::cut(handle_, written_)) {
        error_ = file_system::last_error_text();
        return false;
    }
    return true;
}

bool OutputFile::close()
{
    const int handle = handle_;
    handle_ = -1;
    bool closed = file_system::cut(handle, written_);
    if (!closed)
        error_ = file_system::last_error_text();
    if (!file_system::close(handle) && closed) {
        error_ = file_system::last_error_text();
        closed = false;
    }
    return closed;
}

ReplacingFile::~ReplacingFile()
{
    abandon();
}

void ReplacingFile::abandon()
{
    if (handle_ >= 0)
        file_system::close(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        file_system::remove_temporary(temporary_);
    temporary_.clear();
}

bool ReplacingFile::begin(const std::string &name)
{
    name_ = name;
    handle_ = file_system::begin_replacement(name_, temporary_, error_);
    return handle_ >= 0;
}

void ReplacingFile::reserve(unsigned long long size)
{
    if (handle_ >= 0 && !temporary_.empty())
        file_system::reserve(handle_, size);
}

bool ReplacingFile::write(const void *bytes, std::size_t count)
{
    if (handle_ < 0)
        return false;
    if (!write_all(handle_, static_cast<const unsigned char *>(bytes), count)) {
        error_ = file_system::last_error_text();
        abandon();
        return false;
    }
    return true;
}

#ifndef _WIN32
bool ReplacingFile::write_at(const void *bytes, std::size_t count, unsigned long long offset,
                             std::string &error) const
{
    const auto *from = static_cast<const unsigned char *>(bytes);
    bool failed = false;
    if (move_all(count, failed, [&](std::size_t done, std::size_t left) {
            return file_system::write_some_at(handle_, from + done, left, offset + done);
        }) == count)
        return true;
    error = file_system::last_error_text();
    return false;
}
#endif

bool ReplacingFile::commit()
{
    if (handle_ < 0)
        return false;
    const int handle = handle_;
    handle_ = -1;
    if (!file_system::close(handle)) {
        error_ = file_system::last_error_text();
        abandon();
        return false;
    }
    if (!temporary_.empty() && !file_system::put_in_place(temporary_, name_, error_)) {
        abandon();
        return false;
    }
    if (!temporary_.empty())
        file_system::release_temporary(temporary_);
    temporary_.clear();
    return true;
}

} // namespace brennix
