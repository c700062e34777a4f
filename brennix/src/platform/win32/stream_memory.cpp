// Stream memory on Windows: large pages there need a privilege a user
// rarely holds, so the pieces take ordinary ones.
#include "stream_memory.h"

#include <new>

namespace brennix {

StreamMemory::StreamMemory(std::size_t size)
    : data_(static_cast<unsigned char *>(::operator new(size, std::align_val_t(stream_page_size))))
{
}

StreamMemory::~StreamMemory()
{
    ::operator delete(data_, std::align_val_t(stream_page_size));
}

} // namespace brennix
