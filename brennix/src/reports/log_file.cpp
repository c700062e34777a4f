// Buffered log writing.
#include "log_file.h"

namespace brennix {
namespace {

constexpr std::size_t flush_threshold = 1u << 20;

} // namespace

bool LogFile::open(const std::string &name)
{
    buffer_.reserve(flush_threshold + 4096);
    if (!file_.create(name)) {
        failed_ = true;
        error_ = file_.error();
        return false;
    }
    return true;
}

void LogFile::end_line()
{
    buffer_ += "\r\n";
    if (!held_ && buffer_.size() >= flush_threshold)
        flush();
}

void LogFile::take_held(LogFile &held)
{
    // The held lines become the buffer as they are, not a copy.
    flush();
    buffer_.swap(held.buffer_);
    if (buffer_.size() >= flush_threshold)
        flush();
}

void LogFile::line(const std::string &text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue; // the line feed that follows completes it
        if (c == '\r' || c == '\n')
            buffer_ += "\r\n";
        else
            buffer_ += c;
    }
    end_line();
}

bool LogFile::flush()
{
    if (!failed_ && !file_.write(buffer_.data(), buffer_.size())) {
        failed_ = true;
        error_ = file_.error();
    }
    buffer_.clear();
    return !failed_;
}

bool LogFile::close()
{
    flush();
    if (!file_.close() && !failed_) {
        failed_ = true;
        error_ = file_.error();
    }
    return !failed_;
}

} // namespace brennix
