// Reading and writing whole IDA images: the 512 header bytes and the
// Height x WIDz pixel bytes behind them.
#ifndef BRENNIX_IDA_IMAGE_H
#define BRENNIX_IDA_IMAGE_H

#include "ida_header.h"

#include <cstddef>
#include <memory>
#include <string>

namespace brennix {

// Pixel bytes row after row; left uninitialised until read, since the
// image can be large and every byte is read from the file anyway.
struct PixelBytes {
    std::unique_ptr<unsigned char[]> data;
    std::size_t count = 0;
};

// The number of pixel bytes the header promises: Height x WIDz when that
// product is positive, else 0.
std::size_t promised_pixel_count(const HeaderBytes &header);

// Reads the header and the promised pixels.  Fails, with the reason, when
// the file cannot be opened or read, the header is shorter than 512 bytes
// or the pixel data is shorter than promised; sizes are checked against the
// file before memory is taken for the pixels.
bool read_ida_image(const std::string &name, HeaderBytes &header, PixelBytes &pixels,
                    std::string &reason);

// Replaces the named file by the header and pixels, written whole first.
bool write_ida_image(const std::string &name, const HeaderBytes &header,
                     const PixelBytes &pixels, std::string &reason);

} // namespace brennix

#endif
