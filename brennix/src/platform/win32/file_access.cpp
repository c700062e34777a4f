// File access on Windows: the C runtime's descriptors, always in binary
// mode (the texts carry their own carriage returns), and the output image
// replaced in one step with MoveFileEx.  Errors carry the runtime's or the
// system's text.
#include "file_access.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace brennix {
namespace {

std::string errno_text() { return std::strerror(errno); }

// The system's text for an error, except that the errors a POSIX system
// knows as well read as they do there, so a user (and a test) sees one text
// for a missing folder whatever the platform.
std::string system_error_text(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return std::strerror(EACCES);
    default:
        break;
    }
    char text[512];
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' ||
            message.back() == '.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

// The runtime reads and writes at most INT_MAX bytes per call.
constexpr std::size_t largest_transfer = 1u << 30;

bool write_all(int handle, const unsigned char *bytes, std::size_t count)
{
    while (count > 0) {
        const unsigned part = static_cast<unsigned>(
            count < largest_transfer ? count : largest_transfer);
        const int done = _write(handle, bytes, part);
        if (done < 0)
            return false;
        bytes += done;
        count -= static_cast<std::size_t>(done);
    }
    return true;
}

// The folder part of a name, for a temporary file beside it; both slashes
// separate, and a drive prefix alone ("C:name") is a folder too.
std::string folder_of(const std::string &name)
{
    const std::size_t cut = name.find_last_of("/\\:");
    if (cut == std::string::npos)
        return ".";
    // A root ("\\name", "C:\\name") keeps its separator.
    if (name[cut] == ':' || cut == 0 || name[cut - 1] == ':')
        return name.substr(0, cut + 1);
    return name.substr(0, cut);
}

} // namespace

void InputFile::close()
{
    if (handle_ >= 0)
        _close(handle_);
    handle_ = -1;
}

bool InputFile::open(const std::string &name)
{
    handle_ = _open(name.c_str(), _O_RDONLY | _O_BINARY);
    if (handle_ < 0) {
        // Folders cannot be opened here at all; say so rather than
        // "permission denied".
        const DWORD attributes = GetFileAttributesA(name.c_str());
        error_ = attributes != INVALID_FILE_ATTRIBUTES &&
                         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                     ? std::strerror(EISDIR)
                     : errno_text();
        return false;
    }
    struct _stat64 info;
    if (_fstat64(handle_, &info) == 0 && (info.st_mode & _S_IFREG) != 0)
        known_size_ = static_cast<long long>(info.st_size);
    return true;
}

std::size_t InputFile::read(unsigned char *into, std::size_t count)
{
    std::size_t total = 0;
    while (total < count) {
        const std::size_t left = count - total;
        const unsigned part = static_cast<unsigned>(
            left < largest_transfer ? left : largest_transfer);
        const int done = _read(handle_, into + total, part);
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
        _close(handle_);
}

bool OutputFile::create(const std::string &name)
{
    handle_ = _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                    _S_IREAD | _S_IWRITE);
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
    if (_close(handle) != 0) {
        error_ = errno_text();
        return false;
    }
    return true;
}

ReplacingFile::~ReplacingFile() { abandon(); }

void ReplacingFile::abandon()
{
    if (handle_ >= 0)
        _close(handle_);
    handle_ = -1;
    if (!temporary_.empty())
        DeleteFileA(temporary_.c_str());
    temporary_.clear();
}

bool ReplacingFile::begin(const std::string &name)
{
    name_ = name;
    char temporary[MAX_PATH];
    if (GetTempFileNameA(folder_of(name).c_str(), "brx", 0, temporary) == 0) {
        error_ = system_error_text(GetLastError());
        return false;
    }
    temporary_ = temporary;
    handle_ = _open(temporary, _O_WRONLY | _O_TRUNC | _O_BINARY);
    if (handle_ < 0) {
        error_ = errno_text();
        abandon();
        return false;
    }
    return true;
}

// No hint here: the file grows with its writes, as it always did.
void ReplacingFile::reserve(unsigned long long) {}

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

// MoveFileEx replaces an existing file in one step, which rename() of the
// C runtime refuses to do on Windows.
bool ReplacingFile::commit()
{
    if (handle_ < 0)
        return false;
    const int handle = handle_;
    handle_ = -1;
    if (_close(handle) != 0) {
        error_ = errno_text();
        abandon();
        return false;
    }
    if (!MoveFileExA(temporary_.c_str(), name_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error_ = system_error_text(GetLastError());
        abandon();
        return false;
    }
    temporary_.clear();
    return true;
}

namespace {

// The volume and file index that identify a file however it is named.
bool identity_of(const std::string &name, BY_HANDLE_FILE_INFORMATION &info)
{
    const HANDLE file = CreateFileA(
        name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

} // namespace

bool same_existing_file(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return identity_of(a, first) && identity_of(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace brennix
