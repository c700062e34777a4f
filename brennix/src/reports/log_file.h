// The run's log file: lines ended by CR LF, collected in a buffer and
// handed to the file in large pieces, since a run may log every pixel.
#ifndef BRENNIX_LOG_FILE_H
#define BRENNIX_LOG_FILE_H

#include "file_access.h"

#include <string>

namespace brennix {

class LogFile {
public:
    LogFile() = default;
    // A log without a file that keeps every line it is given: the lines of
    // pixels re-encoded aside, which take_held() later moves to the end of
    // the run's log.  Room for `expected` bytes is made at once.
    struct Held {
        std::size_t expected;
    };
    explicit LogFile(Held held) : held_(true) { buffer_.reserve(held.expected); }

    // Creates the file, or writes over it from its start when it exists
    // (see OutputFile).
    bool open(const std::string &name);
    // Appends text to the current line.
    void add(const std::string &text) { buffer_ += text; }
    void add(const char *text, std::size_t length) { buffer_.append(text, length); }
    // Ends the current line; hands the buffer over once it is large.
    void end_line();
    // Appends a whole line.  The text may come from the command line, where
    // an argument can hold a line feed or carriage return: each becomes a
    // CR LF of its own, so every line of the file still ends in CR LF.
    void line(const std::string &text);
    // Hands what is buffered to the file; false if any write failed.
    bool flush();
    // Writes what is buffered and closes the file; false if any write failed.
    bool close();
    // The bytes buffered and not yet handed to the file.
    std::size_t buffered() const { return buffer_.size(); }
    // Appends the lines of a held log, which is left empty.
    void take_held(LogFile &held);
    const std::string &error() const { return error_; }

private:
    OutputFile file_;
    std::string buffer_;
    bool held_ = false;
    bool failed_ = false;
    std::string error_;
};

} // namespace brennix

#endif
