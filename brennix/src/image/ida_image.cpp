// Header reading and the piecewise pixel stream on top of the platform's
// file access.
#include "ida_image.h"

#include <algorithm>
#include <memory>

namespace brennix {
namespace {

std::string short_pixels_reason(std::size_t present, std::size_t promised)
{
    return "pixel data holds " + std::to_string(present) + " bytes, Height x WIDz is " +
           std::to_string(promised);
}

} // namespace

std::size_t promised_pixel_count(const HeaderBytes &header)
{
    const long long count =
        static_cast<long long>(read_int16(header, field::Height)) * read_int16(header, field::WIDz);
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

// The header goes out with the first piece, which is that many pixels
// short, so every write ends on a piece boundary of the file and every
// later one starts on a page boundary: writes that share their first and
// last pages measured about a tenth slower.  The pieces stay small on
// purpose.  A long page-aligned write lets the page cache take the file in
// large folios (1 MiB for a 1 MiB piece); a virtual machine that hands free
// memory back to its host serves those from returned memory, and touching
// it again costs a host fault per page: 1 to 2 s of system time per GiB,
// where the whole run with 256 KiB pieces takes a third of a second.
StreamResult stream_image(InputFile &input, const HeaderBytes &output_header, std::size_t count,
                          PixelRescaler &rescaler, ReplacingFile &output, std::string &reason)
{
    output.reserve(header_size + static_cast<unsigned long long>(count));
    const std::size_t capacity = std::min(count, stream_piece_size);
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[header_size + capacity]);
    std::copy(output_header.begin(), output_header.end(), buffer.get());
    unsigned char *const pixels = buffer.get() + header_size;
    std::size_t lead = header_size; // bytes written ahead of the pixels
    std::size_t done = 0;
    do {
        const std::size_t want = std::min(stream_piece_size - lead, count - done);
        const std::size_t got = input.read(pixels, want);
        if (got < want) {
            reason =
                !input.error().empty() ? input.error() : short_pixels_reason(done + got, count);
            return StreamResult::input_failed;
        }
        rescaler.next(pixels, got);
        if (!output.write(pixels - lead, lead + got)) {
            reason = output.error();
            return StreamResult::output_failed;
        }
        done += got;
        lead = 0;
    } while (done < count);
    return StreamResult::done;
}

} // namespace brennix
