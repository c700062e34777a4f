// Memory for the pixel stream's pieces.  Every fresh page costs a fault on
// first touch; where the system hands out huge pages on request, all the
// pieces of a large image come from one, so that they cost one fault.
#ifndef BRENNIX_STREAM_MEMORY_H
#define BRENNIX_STREAM_MEMORY_H

#include <cstddef>

namespace brennix {

// Bytes from the start of a page to the next one.
constexpr std::size_t stream_page_size = 4096;

class StreamMemory {
public:
    // `size` bytes, the first on a page boundary.  Throws std::bad_alloc
    // when there are none, as new does.
    explicit StreamMemory(std::size_t size);
    StreamMemory(const StreamMemory &) = delete;
    StreamMemory &operator=(const StreamMemory &) = delete;
    ~StreamMemory();

    unsigned char *data() const { return data_; }

private:
    unsigned char *data_ = nullptr;
    std::size_t alignment_ = stream_page_size;
};

} // namespace brennix

#endif
