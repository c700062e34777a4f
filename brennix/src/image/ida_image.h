// Reading an IDA image's header and streaming its Height x WIDz pixel bytes
// through the re-encoding into the output, piece by piece, so that memory
// stays small and no byte is touched more often than needed.
#ifndef BRENNIX_IDA_IMAGE_H
#define BRENNIX_IDA_IMAGE_H

#include "file_access.h"
#include "ida_header.h"
#include "rescale.h"

#include <cstddef>
#include <string>

namespace brennix {

// The number of pixel bytes the header promises: Height x WIDz when that
// product is positive, else 0.
std::size_t promised_pixel_count(const HeaderBytes &header);

// Opens the input and reads its header.  Fails, with the reason, when the
// file cannot be opened or read, the header is shorter than 512 bytes, or
// the file's known size holds fewer pixel bytes than the header promises.
bool open_ida_image(InputFile &file, const std::string &name, HeaderBytes &header,
                    std::string &reason);

// The pixels of one piece of the stream.  Every piece costs a read and a
// write; every page of the buffer costs a fault on first touch, which in a
// virtual machine takes as long as copying several pages.
constexpr std::size_t stream_piece_size = std::size_t(256) << 10;

enum class StreamResult { done, input_failed, output_failed };

// Writes the output header, then passes the promised pixels from the input
// (read past its header) through the rescaler into the output.  On failure,
// reason says what went wrong on the side named by the result; an input
// that ends early is a failure.
StreamResult stream_image(InputFile &input, const HeaderBytes &output_header, std::size_t count,
                          PixelRescaler &rescaler, ReplacingFile &output, std::string &reason);

} // namespace brennix

#endif
