// File access of Brennix: reading the input, writing text files, replacing
// the output image atomically.  Every failure comes back as a reason text for
// the user.  Implemented once per platform.
#ifndef BRENNIX_FILE_ACCESS_H
#define BRENNIX_FILE_ACCESS_H

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace brennix {

class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;
    ~InputFile();

    bool open(const std::string &name);
    // The size when the file is a regular file (known before reading), else -1.
    long long known_size() const { return known_size_; }
    // Reads up to count bytes; fewer only at the end of the file or on error.
    std::size_t read(unsigned char *into, std::size_t count);
    const std::string &error() const { return error_; }

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

    // Creates the file, or empties it when it exists.
    bool create(const std::string &name);
    bool write(const void *bytes, std::size_t count);
    bool close();
    const std::string &error() const { return error_; }

private:
    int handle_ = -1;
    std::string error_;
};

struct ByteSpan {
    const unsigned char *data;
    std::size_t size;
};

// Writes the pieces one after the other into a new file in the folder of
// `name` and renames it over `name` once it is complete: a failure leaves
// any earlier file of that name untouched, and the input may be replaced.
bool replace_file(const std::string &name, std::initializer_list<ByteSpan> pieces,
                  std::string &reason);

// True when both names exist and lead to the same file.
bool same_existing_file(const std::string &a, const std::string &b);

} // namespace brennix

#endif
