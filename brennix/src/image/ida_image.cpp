// Header reading and the piecewise pixel stream on top of the platform's
// file access.
#include "ida_image.h"

#include "stream_memory.h"

#include <algorithm>
#include <cstdint>
#ifndef _WIN32
#  include "worker_thread.h"

#  include <atomic>
#endif

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

namespace {

// How one stream reaches its files: the next bytes in order, or bytes at
// their offset in the file.  A failure leaves its reason in `error`.
struct InOrder {
    InputFile &input;
    ReplacingFile &output;
    std::size_t read(unsigned char *into, std::size_t count, unsigned long long, std::string &error)
    {
        const std::size_t got = input.read(into, count);
        error = input.error();
        return got;
    }
    bool write(const unsigned char *bytes, std::size_t count, unsigned long long,
               std::string &error)
    {
        const bool written = output.write(bytes, count);
        error = output.error();
        return written;
    }
};

#ifndef _WIN32
struct AtPlace {
    const InputFile &input;
    const ReplacingFile &output;
    std::size_t read(unsigned char *into, std::size_t count, unsigned long long offset,
                     std::string &error)
    {
        return input.read_at(into, count, offset, error);
    }
    bool write(const unsigned char *bytes, std::size_t count, unsigned long long offset,
               std::string &error)
    {
        return output.write_at(bytes, count, offset, error);
    }
};
#endif

// Passes pixels [from, to) of the count the header promises, a piece at a
// time, through the rescaler; the buffer holds `lead` header bytes before
// `pixels` that go out with the first piece.  `reached` follows the pixels
// written.  The rescaler may stop short of a piece when its log would grow
// past log_limit; the stream stops there, as it does when `stop` turns true
// between pieces.
template <typename Files, typename Stop>
StreamResult pass_pieces(Files files, std::size_t from, std::size_t to, std::size_t count,
                         unsigned char *pixels, std::size_t lead, PixelRescaler &rescaler,
                         std::size_t log_limit, Stop stop, std::size_t &reached,
                         std::string &reason)
{
    std::size_t done = from;
    std::string error;
    do {
        // Every write ends on a piece boundary of the file.
        const std::size_t want =
            std::min(stream_piece_size - (header_size + done) % stream_piece_size, to - done);
        const std::size_t got = files.read(pixels, want, header_size + done, error);
        if (got < want) {
            reason = !error.empty() ? error : short_pixels_reason(done + got, count);
            return StreamResult::input_failed;
        }
        const std::size_t mapped = rescaler.next(pixels, got, log_limit);
        if (!files.write(pixels - lead, lead + mapped, header_size + done - lead, error)) {
            reason = error;
            return StreamResult::output_failed;
        }
        done += mapped;
        reached = done;
        lead = 0;
        if (mapped < got)
            break;
    } while (done < to && !stop());
    return StreamResult::done;
}

bool never()
{
    return false;
}

#ifndef _WIN32
// Below this many pixels a second thread costs about what it saves.
constexpr std::size_t split_pixel_count = std::size_t(2) << 20;
// The log lines the second half may hold back until the first is done.
constexpr std::size_t held_log_limit = std::size_t(2) << 20;

// The image in two halves at once, when there is a second processor: the
// halves' reads and re-encoding overlap each other's writes.  The writes
// themselves do not overlap: buffered writes to one file take the file's
// lock in turn (two files written at once each go at nearly full speed), so
// what the halves gain is the reading and re-encoding hidden behind the
// other half's writes: about a third on 1 GiB, a tenth on 64 MiB.  Two
// designs that look quicker were measured slower: a reading thread handing
// pieces to a writing thread (about twice the time: every piece crosses
// between the processors' caches) and writing through a mapping of the
// output (about five times: a fault per page).  The second half holds its
// log lines until the first half is done, so the log reads as from one
// pass; once they reach held_log_limit it stops, and the first half's
// thread goes on from there.  A failure in the first half wins over one in
// the second, as it would in one pass; the second half's lines are logged
// up to its own failure.
StreamResult stream_in_halves(const InputFile &input, unsigned char *pixels,
                              unsigned char *second_pixels, std::size_t count,
                              PixelRescaler &rescaler, const ReplacingFile &output,
                              std::string &reason)
{
    const AtPlace files{input, output};
    // The second half's first byte starts a piece of the file.
    const std::size_t half =
        (header_size + count / 2) / stream_piece_size * stream_piece_size - header_size;
    // One pixel logs two lines at most, each far shorter than 4 KiB.
    LogFile held_log{LogFile::Held{held_log_limit + 4096}};
    PixelRescaler second(rescaler, half, held_log);
    std::atomic<bool> first_failed{false};
    StreamResult second_result = StreamResult::done;
    std::string second_reason;
    std::size_t second_reached = half;
    // Without a thread to be had, the first half's thread does it all.
    WorkerThread worker;
    worker.start([&] {
        second_result = pass_pieces(
            files, half, count, count, second_pixels, 0, second, held_log_limit,
            [&] { return first_failed.load(); }, second_reached, second_reason);
    });
    std::size_t reached = 0;
    const StreamResult first_result = pass_pieces(files, 0, half, count, pixels, header_size,
                                                  rescaler, SIZE_MAX, never, reached, reason);
    first_failed = first_result != StreamResult::done;
    worker.join();
    if (first_result != StreamResult::done)
        return first_result;
    rescaler.take_held_log(held_log);
    if (second_result != StreamResult::done) {
        reason = second_reason;
        return second_result;
    }
    if (second_reached == count)
        return StreamResult::done;
    rescaler.move_to(second_reached);
    return pass_pieces(files, second_reached, count, count, pixels, 0, rescaler, SIZE_MAX, never,
                       reached, reason);
}
#endif

} // namespace

// Every write ends on a piece boundary of the file, the first, which
// carries the header, as well, so that every later one starts on a page
// boundary: writes that share their first and last pages measured about a
// tenth slower.  The pieces stay small on purpose.  A long page-aligned
// write lets the page cache take the file in large folios (1 MiB for a
// 1 MiB piece); a virtual machine that hands free memory back to its host
// serves those from returned memory, and touching it again costs a host
// fault per page: 1 to 2 s of system time per GiB, where the whole run
// with 256 KiB pieces takes a third of a second.
StreamResult stream_image(InputFile &input, const HeaderBytes &output_header, std::size_t count,
                          PixelRescaler &rescaler, ReplacingFile &output, std::string &reason)
{
    output.reserve(header_size + static_cast<unsigned long long>(count));
    const std::size_t capacity = std::min(count, stream_piece_size);
#ifndef _WIN32
    const bool halves = count >= split_pixel_count && input.known_size() >= 0 &&
                        output.writes_new_file() && second_processor();
#else
    const bool halves = false;
#endif
    // The header just before the pixels; the second half's pixels follow
    // the first's.
    StreamMemory memory(header_size, (halves ? 2 : 1) * capacity);
    unsigned char *const pixels = memory.pixels();
    std::copy(output_header.begin(), output_header.end(), pixels - header_size);
#ifndef _WIN32
    if (halves)
        return stream_in_halves(input, pixels, pixels + capacity, count, rescaler, output, reason);
#endif
    std::size_t reached = 0;
    return pass_pieces(InOrder{input, output}, 0, count, count, pixels, header_size, rescaler,
                       SIZE_MAX, never, reached, reason);
}

} // namespace brennix
