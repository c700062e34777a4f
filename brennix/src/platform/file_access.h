// File access of Brennix: reading the input, writing text files, replacing
// the output image atomically.  Every failure comes back as a reason text for
// the user.  Shared by every platform (file_access.cpp), on the calls of
// the platform half (file_system.h).
#ifndef BRENNIX_FILE_ACCESS_H
#define BRENNIX_FILE_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace brennix {

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile() { close(); }

    bool open(const std::string &name);
    // Lets the file go; Windows cannot replace a file that is still open.
    void close();
    // The size when the file is a regular file (known before reading), else -1.
    long long known_size() const { return known_size_; }
    // Reads up to count bytes; fewer only at the end of the file or on error.
    std::size_t read(unsigned char *into, std::size_t count);
#ifndef _WIN32
    // Reads up to count bytes at an offset, the file's position untouched,
    // so that threads may read at once; the reason of a failure goes to
    // `error`, not to error().
    std::size_t read_at(unsigned char *into, std::size_t count, unsigned long long offset,
                        std::string &error) const;
#endif
    const std::string &error() const
    {
        return error_;
    }

private:
    int handle_ = -1;
    long long known_size_ = -1;
    std::string error_;
};

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;
    ~OutputFile();

    // Opens the file to be written from its start, creating it where it is
    // missing.  The bytes of an earlier file of that name stay until the
    // first write covers them; each write cuts off what lies beyond it, so
    // the file never holds old bytes after new ones, and a closed file
    // holds exactly what was written.
    bool create(const std::string &name);
    bool write(const void *bytes, std::size_t count);
    bool close();
    const std::string &error() const { return error_; }

private:
    int handle_ = -1;
    unsigned long long written_ = 0;
    std::string error_;
};

// A file written whole under a temporary name in the folder of its final
// name and renamed over that name by commit(): a failure, or an object
// destroyed without commit(), leaves any earlier file of that name as it was,
// and the final name may be the file being read.  A name that leads to
// something other than a file or a folder (a device such as /dev/null or
// NUL, a pipe) is written directly instead, so that it receives the bytes
// and its failures count.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile &) = delete;
    ReplacingFile &operator=(const ReplacingFile &) = delete;
    ~ReplacingFile();

    bool begin(const std::string &name);
    // Tells the file system the final size, so that it can place the file
    // in one go instead of a page at a time.  Only a hint: a file system
    // that cannot do it is no failure, and the platform may ignore it.
    void reserve(unsigned long long size);
    bool write(const void *bytes, std::size_t count);
#ifndef _WIN32
    // True when the bytes go to a new file, which takes writes at any offset
    // (a device written directly does not).
    bool writes_new_file() const
    {
        return handle_ >= 0 && !temporary_.empty();
    }
    // Writes count bytes at an offset of the new file, so that threads may
    // write at once; the reason of a failure goes to `error`, and the file
    // stays until the object is destroyed without commit().
    bool write_at(const void *bytes, std::size_t count, unsigned long long offset,
                  std::string &error) const;
#endif
    bool commit();
    const std::string &error() const
    {
        return error_;
    }

private:
    void abandon();

    int handle_ = -1;
    std::string name_;
    std::string temporary_;
    std::string error_;
};

// True when both names exist and lead to the same file.
bool same_existing_file(const std::string &a, const std::string &b);
// True when the name leads to the file the process's standard output
// writes to (/dev/stdout, or the file or pipe it was redirected to).
bool is_standard_output(const std::string &name);
// True when the two names are one once made absolute and tidied, as
// std::filesystem's absolute() and lexically_normal() would: "." steps
// and doubled separators dropped, a step followed by ".." dropped with it.
// The file system is not asked, so names of files yet to be made compare.
bool same_name(const std::string &a, const std::string &b);

} // namespace brennix

#endif
