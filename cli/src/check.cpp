// quorvex check: whether a stack of IDA files can be combined pixel by
// pixel, by the library's consistency check against the first file.
#include "cli.h"

#include <algorithm>
#include <iostream>

namespace cli {

int run_check(Options &options)
{
    const std::vector<std::string> &files = options.files;
    if (files.size() > 32767)
        throw UsageError("check takes at most 32767 files");
    // Each file must be a whole IDA image; the library itself reads only
    // the headers.
    std::vector<char *> names;
    std::size_t longest = 0;
    for (const std::string &path : files) {
        open_ida(path);
        names.push_back(const_cast<char *>(path.c_str()));
        longest = std::max(longest, path.size());
    }
    std::vector<char> message(2 * longest + 100, '\0');
    char *at = message.data();
    IMAGETYPE first = {};
    int16_t error = 0;
    _CheckInputImages(&first, options.tables.projections, options.tables.spheroids,
                      options.tables.types.data(), options.tables.type_count(),
                      names.data(), static_cast<int16_t>(names.size()), &at, &error);
    if (error == status_ok) {
        if (files.size() == 1)
            std::cout << files.front() << ": a single file, nothing to compare\n";
        else
            std::cout << "All " << files.size() << " files agree with "
                      << files.front() << "\n";
        return 0;
    }
    std::cout << message.data() << "\n";
    return 1;
}

} // namespace cli
