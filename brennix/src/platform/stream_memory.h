// Memory for the pixel stream: the header that goes out with the first
// piece, then the pixels of one piece or two.  Every fresh page costs a
// fault on first touch; for a stream of a full piece or more the pixels
// start on a page boundary and, where the system hands out huge pages on
// request, all of it comes from one, so that it costs one fault.
#ifndef BRENNIX_STREAM_MEMORY_H
#define BRENNIX_STREAM_MEMORY_H

#include <cstddef>

namespace brennix {

class StreamMemory {
public:
    // `lead` bytes (at most a page) just before `size` bytes of pixels.
    // Throws std::bad_alloc when there are none, as new does.
    StreamMemory(std::size_t lead, std::size_t size);
    StreamMemory(const StreamMemory &) = delete;
    StreamMemory &operator=(const StreamMemory &) = delete;
    ~StreamMemory();

    unsigned char *pixels() const { return pixels_; }

private:
    std::size_t alignment_;
    unsigned char *block_;
    unsigned char *pixels_;
};

} // namespace brennix

#endif
