// quorvex check: whether a stack of IDA files can be combined pixel by
// pixel, by the library's consistency check against the first file.
#include "cli.h"

#include <iostream>

namespace cli {

int run_check(Options &options)
{
    const std::vector<std::string> &files = options.files;
    if (files.size() > 32767)
        throw UsageError("check takes at most 32767 files");
    // Each file must be a whole IDA image; the library itself reads only
    // the headers.
    for (const std::string &path : files)
        open_ida(path);
    std::string message;
    const int16_t error = check_files(files, options.tables, &message);
    if (error == QUORVEX_SUCCESS) {
        if (files.size() == 1)
            std::cout << files.front() << ": a single file, nothing to compare\n";
        else
            std::cout << "All " << files.size() << " files agree with " << files.front() << "\n";
        return 0;
    }
    std::cout << message << "\n";
    return 1;
}

} // namespace cli
