// The file calls on Windows: the C runtime's descriptors, always in binary
// mode (the texts carry their own carriage returns), and the output image
// replaced in one step with MoveFileEx.  Errors carry the runtime's or the
// system's text.
#include "file_access.h"
#include "file_system.h"

#include <windows.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#include <sys/stat.h>

namespace brennix {
namespace file_system {
namespace {

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
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message.empty() ? "system error " + std::to_string(code) : message;
}

// The runtime reads and writes at most INT_MAX bytes per call.
constexpr std::size_t largest_transfer = 1u << 30;

unsigned part_of(std::size_t count)
{
    return static_cast<unsigned>(count < largest_transfer ? count : largest_transfer);
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

// The reason a call on `name` failed: Windows refuses to open or replace a
// folder as if access were denied, and a user is better told what the name
// is.  `reason` is taken before the folder is looked at, which changes the
// last error.
std::string reason_for(const std::string &name, std::string reason)
{
    const DWORD attributes = GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0
               ? std::strerror(EISDIR)
               : reason;
}

} // namespace

std::string last_error_text()
{
    return std::strerror(errno);
}

int open_for_reading(const std::string &name, long long &known_size, std::string &error)
{
    const int handle = _open(name.c_str(), _O_RDONLY | _O_BINARY);
    if (handle < 0) {
        error = reason_for(name, last_error_text());
        return -1;
    }
    struct _stat64 info;
    if (_fstat64(handle, &info) == 0 && (info.st_mode & _S_IFREG) != 0)
        known_size = static_cast<long long>(info.st_size);
    return handle;
}

int create(const std::string &name, std::string &error)
{
    const int handle =
        _open(name.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (handle < 0)
        error = reason_for(name, last_error_text());
    return handle;
}

bool cut(int, unsigned long long)
{
    return true; // created empty
}

long long read_some(int handle, unsigned char *into, std::size_t count)
{
    return _read(handle, into, part_of(count));
}

long long write_some(int handle, const unsigned char *bytes, std::size_t count)
{
    return _write(handle, bytes, part_of(count));
}

bool close(int handle)
{
    return _close(handle) == 0;
}

namespace {

// A descriptor that writes straight into `name` when it names a device
// (NUL, CON, a serial port) or a pipe rather than a file on a disk: a
// rename over it would fail, or put a file in its place.  -1 for a file,
// and for a name that cannot be opened for writing as it is, which then
// takes the ordinary way and meets its failure there.  Opening a file for
// writing without writing changes nothing in it.
int open_device(const std::string &name)
{
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    if (GetFileType(file) != FILE_TYPE_DISK) {
        const int handle = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
        if (handle >= 0)
            return handle; // the descriptor owns the handle now
    }
    CloseHandle(file);
    return -1;
}

} // namespace

int begin_replacement(std::string &name, std::string &temporary, std::string &error)
{
    const int device = open_device(name);
    if (device >= 0)
        return device;
    char made[MAX_PATH];
    if (GetTempFileNameA(folder_of(name).c_str(), "brx", 0, made) == 0) {
        error = system_error_text(GetLastError());
        return -1;
    }
    temporary = made;
    const int handle = _open(made, _O_WRONLY | _O_TRUNC | _O_BINARY);
    if (handle < 0) {
        error = last_error_text();
        remove_temporary(temporary);
        temporary.clear();
    }
    return handle;
}

// No hint here: the file grows with its writes, as it always did.
void reserve(int, unsigned long long) {}

// MoveFileEx replaces an existing file in one step, which rename() of the
// C runtime refuses to do on Windows.
bool put_in_place(const std::string &temporary, const std::string &name, std::string &error)
{
    if (!MoveFileExA(temporary.c_str(), name.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = reason_for(name, system_error_text(GetLastError()));
        return false;
    }
    return true;
}

void remove_temporary(const std::string &temporary)
{
    DeleteFileA(temporary.c_str());
}

void release_temporary(const std::string &) {}

namespace {

// The volume and file index that identify a file however it is named.
bool identity_of(const std::string &name, BY_HANDLE_FILE_INFORMATION &info)
{
    const HANDLE file =
        CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return ok;
}

bool same_identity(const BY_HANDLE_FILE_INFORMATION &a, const BY_HANDLE_FILE_INFORMATION &b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace
} // namespace file_system

bool same_existing_file(const std::string &a, const std::string &b)
{
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION second;
    return file_system::identity_of(a, first) && file_system::identity_of(b, second) &&
           file_system::same_identity(first, second);
}

bool is_standard_output(const std::string &name)
{
    BY_HANDLE_FILE_INFORMATION file;
    BY_HANDLE_FILE_INFORMATION output;
    return file_system::identity_of(name, file) &&
           GetFileInformationByHandle(GetStdHandle(STD_OUTPUT_HANDLE), &output) != 0 &&
           file_system::same_identity(file, output);
}

bool same_name(const std::string &a, const std::string &b)
{
    std::error_code ignored;
    return std::filesystem::absolute(a, ignored).lexically_normal() ==
           std::filesystem::absolute(b, ignored).lexically_normal();
}

} // namespace brennix
