// Whole-image reading and writing on top of the platform's file access.
#include "ida_image.h"

#include "file_access.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace brennix {
namespace {

// Growth step when the size of the input is not known in advance (a pipe):
// a hostile header then costs at most one step beyond the data present.
constexpr std::size_t unknown_size_step = 16u << 20;

std::string short_pixels_reason(std::size_t present, std::size_t promised)
{
    return "pixel data holds " + std::to_string(present) + " bytes, Height x WIDz is " +
           std::to_string(promised);
}

bool read_unknown_size(InputFile &file, std::size_t promised, PixelBytes &pixels,
                       std::string &reason)
{
    std::vector<unsigned char> bytes;
    while (bytes.size() < promised) {
        const std::size_t before = bytes.size();
        bytes.resize(before + std::min(unknown_size_step, promised - before));
        const std::size_t got = file.read(bytes.data() + before, bytes.size() - before);
        if (got < bytes.size() - before) {
            reason = !file.error().empty() ? file.error()
                                           : short_pixels_reason(before + got, promised);
            return false;
        }
    }
    pixels.data.reset(new unsigned char[promised]);
    std::memcpy(pixels.data.get(), bytes.data(), promised);
    pixels.count = promised;
    return true;
}

} // namespace

std::size_t promised_pixel_count(const HeaderBytes &header)
{
    const long long count = static_cast<long long>(read_int16(header, field::Height)) *
                            read_int16(header, field::WIDz);
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

bool read_ida_image(const std::string &name, HeaderBytes &header, PixelBytes &pixels,
                    std::string &reason)
{
    InputFile file;
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
    pixels.count = 0;
    if (promised == 0)
        return true;
    if (file.known_size() < 0)
        return read_unknown_size(file, promised, pixels, reason);

    const long long present = file.known_size() - static_cast<long long>(header_size);
    if (present < static_cast<long long>(promised)) {
        reason = short_pixels_reason(static_cast<std::size_t>(std::max(present, 0LL)), promised);
        return false;
    }
    pixels.data.reset(new unsigned char[promised]);
    const std::size_t read = file.read(pixels.data.get(), promised);
    if (read < promised) {
        reason = !file.error().empty() ? file.error() : short_pixels_reason(read, promised);
        return false;
    }
    pixels.count = promised;
    return true;
}

bool write_ida_image(const std::string &name, const HeaderBytes &header,
                     const PixelBytes &pixels, std::string &reason)
{
    return replace_file(name, {{header.data(), header.size()}, {pixels.data.get(), pixels.count}},
                        reason);
}

} // namespace brennix
