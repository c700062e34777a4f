// A large stream's pieces take one transparent huge page on Linux: on a
// virtual machine measured here a fresh 4 KiB page cost about 12 us to
// fault in, so the 128 pages of the two halves' pieces cost about 1.5 ms of
// processor time, a tenth of a 64 MiB run; from one huge page a run was 0.9
// to 1.5 ms quicker.  Where huge pages are switched off, or unknown as on
// Windows, the same memory simply takes small pages.  A small image keeps
// the little it needs in the heap, beside what the run has touched already.
#include "stream_memory.h"

#include <new>
#ifndef _WIN32
#  include <sys/mman.h>
#endif

namespace brennix {
namespace {

constexpr std::size_t page_size = 4096;
constexpr std::size_t huge_page_size = std::size_t(2) << 20;
// Below a full piece the faults saved by a huge page pay for clearing its
// 2 MiB at best: even on a 90 KB image, 0.3 ms slower on a 4 KB one.
constexpr std::size_t large_stream = std::size_t(256) << 10;

} // namespace

StreamMemory::StreamMemory(std::size_t lead, std::size_t size)
{
    if (size < large_stream) {
        alignment_ = alignof(std::max_align_t);
        block_ =
            static_cast<unsigned char *>(::operator new(lead + size, std::align_val_t(alignment_)));
        pixels_ = block_ + lead;
        return;
    }
    std::size_t block_size = page_size + size;
    alignment_ = page_size;
#ifdef MADV_HUGEPAGE
    if (block_size <= huge_page_size) {
        alignment_ = huge_page_size;
        block_size = huge_page_size;
    }
#endif
    block_ = static_cast<unsigned char *>(::operator new(block_size, std::align_val_t(alignment_)));
#ifdef MADV_HUGEPAGE
    // Only a request: refused, the pages are small ones.
    if (alignment_ == huge_page_size)
        madvise(block_, block_size, MADV_HUGEPAGE);
#endif
    pixels_ = block_ + page_size;
}

StreamMemory::~StreamMemory()
{
    ::operator delete(block_, std::align_val_t(alignment_));
}

} // namespace brennix
