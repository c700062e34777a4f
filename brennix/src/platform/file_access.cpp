// File access as every platform does it: whole transfers out of partial
// ones, and the life of a replacement (written whole under a temporary name,
// put in place by commit, removed on any failure or when abandoned).  The
// calls on descriptors and names are the platform half's (file_system.h).
#include "file_access.h"

#include "file_system.h"

namespace brennix {
namespace {

bool write_all(int handle, const unsigned char *bytes, std::size_t count)
{
    while (count > 0) {
        const long long done = file_system::write_some(handle, bytes, count);
        if (done < 0)
            return false;
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

#ifndef _WIN32
bool write_all_at(int handle, const unsigned char *bytes, std::size_t count,
                  unsigned long long offset)
{
    while (count > 0) {
        const long long done = file_system::write_some_at(handle, bytes, count, offset);
        if (done < 0)
            return false;
        bytes += done;
        offset += static_cast<unsigned long long>(done);
        count -= static_cast<std::size_t>(done);
    }
    return true;
}
#endif

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
    std::size_t total = 0;
    while (total < count) {
        const long long done = file_system::read_some(handle_, into + total, count - total);
        if (done < 0) {
            error_ = file_system::last_error_text();
            break;
        }
        if (done == 0)
            break;
        total += static_cast<std::size_t>(done);
    }
    return total;
}

#ifndef _WIN32
std::size_t InputFile::read_at(unsigned char *into, std::size_t count, unsigned long long offset,
                               std::string &error) const
{
    std::size_t total = 0;
    while (total < count) {
        const long long done =
            file_system::read_some_at(handle_, into + total, count - total, offset + total);
        if (done < 0) {
            error = file_system::last_error_text();
            break;
        }
        if (done == 0)
            break;
        total += static_cast<std::size_t>(done);
    }
    return total;
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
    return true;
}

bool OutputFile::close()
{
    const int handle = handle_;
    handle_ = -1;
    if (!file_system::close(handle)) {
        error_ = file_system::last_error_text();
        return false;
    }
    return true;
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
    handle_ = file_system::begin_replacement(name, temporary_, error_);
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
    if (!write_all_at(handle_, static_cast<const unsigned char *>(bytes), count, offset)) {
        error = file_system::last_error_text();
        return false;
    }
    return true;
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
