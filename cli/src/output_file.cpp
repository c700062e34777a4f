// Writing a result file so that a failure never leaves half of one: the
// bytes go beside the final name and are renamed into place.
#include "cli.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

// A link is followed to the file it leads to, which is replaced and the
// link kept (/dev/stdout into a file included).  A device or a pipe (a
// terminal, /dev/stdout into a pipe) is written straight into: renaming
// over it would put a plain file in its place and report success for bytes
// the device never saw.
void replace_file(const std::string &path, const std::function<std::string(std::FILE *)> &write)
{
    struct stat info;
    const bool in_place =
        stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
    std::string target = path;
    if (char *resolved = in_place ? nullptr : realpath(path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const std::size_t slash = target.rfind('/');
    std::string temporary =
        (slash == std::string::npos ? std::string() : target.substr(0, slash + 1)) +
        ".quorvex-XXXXXX";
    const int fd = in_place ? open(path.c_str(), O_WRONLY) : mkstemp(temporary.data());
    if (fd < 0)
        throw InputError(path + ": cannot " + (in_place ? "write" : "create") + " (" +
                         std::strerror(errno) + ")");
    if (!in_place) {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }
    std::FILE *stream = fdopen(fd, "wb");
    std::string why;
    if (stream == nullptr) {
        why = std::strerror(errno);
        close(fd);
    } else {
        try {
            why = write(stream);
        } catch (...) {
            // An input that fails while being copied: nothing is replaced.
            std::fclose(stream);
            if (!in_place)
                unlink(temporary.c_str());
            throw;
        }
        if ((std::fflush(stream) != 0 || (!in_place && fsync(fileno(stream)) != 0)) && why.empty())
            why = std::strerror(errno);
        if (std::fclose(stream) != 0 && why.empty())
            why = std::strerror(errno);
        if (why.empty() && !in_place && std::rename(temporary.c_str(), target.c_str()) != 0)
            why = std::strerror(errno);
    }
    if (!why.empty()) {
        if (!in_place)
            unlink(temporary.c_str());
        throw InputError(path + ": cannot write (" + why + ")");
    }
}

bool same_file(const std::string &a, const std::string &b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void refuse_input_as_output(const std::string &output, const std::vector<std::string> &inputs)
{
    for (const std::string &input : inputs)
        if (same_file(input, output))
            throw UsageError(output + ": names an input file (" + input + "); name another output");
}

} // namespace cli
