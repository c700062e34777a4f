// Header reading and the piecewise pixel stream on top of the platform's
// file access.
#include "ida_image.h"

#include <algorithm>
#include <memory>

namespace brennix {
namespace {

// Large enough that each system call moves plenty of data, small enough to
// stay in the processor's caches between reading and writing.
constexpr std::size_t piece_size = 256u << 10;

std::string short_pixels_reason(std::size_t present, std::size_t promised)
{
    return "pixel data holds " + std::to_string(present) + " bytes, Height x WIDz is " +
           std::to_string(promised);
}

} // namespace

std::size_t promised_pixel_count(const HeaderBytes &header)
{
    const long long count = static_cast<long long>(read_int16(header, field::Height)) *
                            read_int16(header, field::WIDz);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool open_ida_image(InputFile &file, const std::string &name, HeaderBytes &header,
                    std::string &reason)
{
    if (!file.open(name)) {
        reason = file.error();
        return false;
    }
    const std::size_t got = file.read(header.data(), header.size());
    if (got < header.size()) {
        reason = !file.error().empty()
                     ? file.error()
                     : "header holds " + std::to_string(got) + " bytes, an IDA header has 512";
        return false;
    }
    const std::size_t promised = promised_pixel_count(header);
    if (file.known_size() >= 0) {
        const long long present = file.known_size() - static_cast<long long>(header_size);
        if (present < static_cast<long long>(promised)) {
            reason = short_pixels_reason(static_cast<std::size_t>(present), promised);
            return false;
        }
    }
    return true;
}

StreamResult stream_pixels(InputFile &input, std::size_t count, PixelRescaler &rescaler,
                           ReplacingFile &output, std::string &reason)
{
    const std::size_t capacity = std::min(count, piece_size);
    std::unique_ptr<unsigned char[]> in(new unsigned char[capacity]);
    std::unique_ptr<unsigned char[]> out(new unsigned char[capacity]);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t want = std::min(capacity, count - done);
        const std::size_t got = input.read(in.get(), want);
        if (got < want) {
            reason = !input.error().empty() ? input.error()
                                            : short_pixels_reason(done + got, count);
            return StreamResult::input_failed;
        }
        rescaler.next(in.get(), out.get(), got);
        if (!output.write(out.get(), got)) {
            reason = output.error();
            return StreamResult::output_failed;
        }
        done += got;
    }
    return StreamResult::done;
}

} // namespace brennix
