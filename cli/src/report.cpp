// Pieces of the reports of info, point and region: the statistics of a
// histogram of pixel bytes, JSON lines, and a report for each of a list of
// files that goes on past a file it cannot report.
#include "cli.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <utility>
#include <vector>

namespace cli {

using Json = nlohmann::ordered_json;

void add_pixel_report(const IdaFile &f, const std::array<uint64_t, 256> &histogram, Json &report)
{
    const std::array<PixelKind, 256> kinds = pixel_kinds(f.image);
    uint64_t count[3] = {};
    // The valid pixels' values with their counts, in the order of the
    // values (a falling law reverses the bytes').
    std::vector<std::pair<double, uint64_t>> values;
    double sum = 0.0;
    for (int byte = 0; byte < 256; ++byte) {
        if (histogram[byte] == 0)
            continue;
        count[static_cast<int>(kinds[byte])] += histogram[byte];
        if (kinds[byte] != PixelKind::valid)
            continue;
        values.emplace_back(f.physical(byte), histogram[byte]);
        sum += values.back().first * static_cast<double>(histogram[byte]);
    }
    const uint64_t valid = count[static_cast<int>(PixelKind::valid)];
    report["pixels"] = {{"count", count[0] + count[1] + count[2]},
                        {"valid", valid},
                        {"missing", count[static_cast<int>(PixelKind::missing)]},
                        {"special", count[static_cast<int>(PixelKind::special)]}};
    if (valid == 0) {
        report["statistics"] = Json();
        return;
    }
    std::sort(values.begin(), values.end());
    const double mean = sum / static_cast<double>(valid);
    double squares = 0.0;
    for (const auto &[value, n] : values)
        squares += (value - mean) * (value - mean) * static_cast<double>(n);
    // The value of the k-th valid pixel (from 0) in the order of values.
    const auto kth = [&values](uint64_t k) {
        auto v = values.begin();
        for (; k >= v->second; ++v)
            k -= v->second;
        return v->first;
    };
    // The median of an even count is the mean of the middle two, as
    // composite's; the deviation is the pixels' own (divided by their
    // count, as GDAL's band statistics), not an estimate for a population.
    report["statistics"] = {{"minimum", values.front().first},
                            {"maximum", values.back().first},
                            {"mean", mean},
                            {"median", (kth((valid - 1) / 2) + kth(valid / 2)) / 2},
                            {"stddev", std::sqrt(squares / static_cast<double>(valid))}};
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
