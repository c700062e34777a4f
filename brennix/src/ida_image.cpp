// Header reading and the piecewise pixel stream on top of the platform's
// file access.
#include "ida_image.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace brennix {
namespace {

// Pieces start on page boundaries in memory as well, which the kernel's
// copies to and from user memory prefer.
constexpr std::size_t page_size = 4096;

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

StreamResult stream_image(InputFile &input, const HeaderBytes &output_header, std::size_t count,
                          PixelRescaler &rescaler, ReplacingFile &output, std::string &reason)
{
    const unsigned long long total = header_size + static_cast<unsigned long long>(count);
    output.reserve(total);
    const std::size_t capacity =
        static_cast<std::size_t>(std::min<unsigned long long>(total, stream_piece_size));
    std::unique_ptr<unsigned char[]> storage(new unsigned char[capacity + page_size]);
    unsigned char *const piece = reinterpret_cast<unsigned char *>(
        (reinterpret_cast<std::uintptr_t>(storage.get()) + page_size - 1) & ~(page_size - 1));

    std::copy(output_header.begin(), output_header.end(), piece);
    std::size_t filled = header_size;  // bytes of the piece in use before its pixels
    std::size_t done = 0;
    do {
        const std::size_t want = std::min(capacity - filled, count - done);
        const std::size_t got = input.read(piece + filled, want);
        if (got < want) {
            reason = !input.error().empty() ? input.error()
                                            : short_pixels_reason(done + got, count);
            return StreamResult::input_failed;
        }
        rescaler.next(piece + filled, got);
        if (!output.write(piece, filled + got)) {
            reason = output.error();
            return StreamResult::output_failed;
        }
        done += got;
        filled = 0;
    } while (done < count);
    return StreamResult::done;
}

} // namespace brennix
