// Pieces of the reports of info, point and region: the statistics of a
// histogram of pixel bytes, JSON lines, and a report for each of a list of
// files that goes on past a file it cannot report.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>
#include <limits>

namespace cli {

using Json = nlohmann::ordered_json;

void add_pixel_report(const IdaFile &f, const std::array<uint64_t, 256> &histogram, Json &report)
{
    const std::array<PixelKind, 256> kinds = pixel_kinds(f.image);
    uint64_t count[3] = {};
    double sum = 0.0, lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    for (int byte = 0; byte < 256; ++byte) {
        if (histogram[byte] == 0)
            continue;
        count[static_cast<int>(kinds[byte])] += histogram[byte];
        if (kinds[byte] != PixelKind::valid)
            continue;
        const double value = f.physical(byte);
        sum += value * static_cast<double>(histogram[byte]);
        lowest = std::fmin(lowest, value);
        highest = std::fmax(highest, value);
    }
    const uint64_t valid = count[static_cast<int>(PixelKind::valid)];
    report["pixels"] = {{"count", count[0] + count[1] + count[2]},
                        {"valid", valid},
                        {"missing", count[static_cast<int>(PixelKind::missing)]},
                        {"special", count[static_cast<int>(PixelKind::special)]}};
    report["statistics"] = valid == 0 ? Json()
                                      : Json{{"minimum", lowest},
                                             {"maximum", highest},
                                             {"mean", sum / static_cast<double>(valid)}};
}

std::string json_line(const Json &report)
{
    return report.dump(-1, ' ', false, Json::error_handler_t::replace);
}

int report_each(const std::vector<std::string> &files,
                const std::function<void(const std::string &)> &report)
{
    int status = 0;
    for (const std::string &path : files) {
        try {
            report(path);
        } catch (const InputError &e) {
            std::cout.flush();
            std::cerr << "quorvex: " << e.what() << "\n";
            status = 1;
        }
    }
    return status;
}

} // namespace cli
