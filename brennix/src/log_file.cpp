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
    if (buffer_.size() >= flush_threshold)
        flush();
}

void LogFile::flush()
{
    if (!failed_ && !file_.write(buffer_.data(), buffer_.size())) {
        failed_ = true;
        error_ = file_.error();
    }
    buffer_.clear();
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
