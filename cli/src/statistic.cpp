// The statistic of composite and of warp onto a coarser grid: the best,
// mean or median valid value at each place, coded back as the image codes
// its pixels; or composite's count, standard deviation, trend and sum,
// coded in the result's own header.
#include "cli.h"

#include <algorithm>
#include <utility>

namespace cli {

Coding::Coding(const IMAGETYPE &image) : half_step_(std::fabs(image.slope) / 2)
{
    const std::array<PixelKind, 256> kinds = pixel_kinds(image);
    for (int byte = 0; byte < 256; ++byte) {
        value_[byte] = image.slope * byte + image.intercept;
        valid_[byte] = kinds[byte] == PixelKind::valid;
        if (valid_[byte])
            by_value_.push_back(static_cast<unsigned char>(byte));
    }
    std::stable_sort(by_value_.begin(), by_value_.end(),
                     [this](unsigned char a, unsigned char b) { return value_[a] < value_[b]; });
    if (by_value_.size() > 1)
        spacing_ = (value_[by_value_.back()] - value_[by_value_.front()]) /
                   static_cast<double>(by_value_.size() - 1);
}

unsigned char Coding::nearest(double value) const
{
    // A first guess from the law (exact when the valid bytes' values are
    // evenly spaced), then a step to a nearer neighbour while there is one:
    // a search of the sorted values without its dozen branches that the
    // processor cannot foresee, which the mean pays at every place.
    const std::size_t last = by_value_.size() - 1;
    const double at = spacing_ > 0 ? (value - value_[by_value_.front()]) / spacing_ : 0;
    std::size_t k = !(at > 0)                         ? 0
                    : at >= static_cast<double>(last) ? last
                                                      : static_cast<std::size_t>(at + 0.5);
    while (k < last && value_[by_value_[k + 1]] - value < value - value_[by_value_[k]])
        ++k;
    while (k > 0 && value - value_[by_value_[k - 1]] <= value_[by_value_[k]] - value)
        --k;
    return by_value_[k];
}

Statistic::Statistic(const IdaFile &coding, const std::string &name, std::size_t places,
                     std::size_t layers, const IMAGETYPE *result)
    : mean_(name == "mean"), median_(name == "median"), counting_(name == "count"),
      deviating_(name == "stddev"), trending_(name == "trend"), summing_(name == "sum"),
      sign_(name == "min" ? -1.0 : 1.0), layers_(layers), coding_(coding.image), sum_(places),
      count_(places), best_(places), kept_(median_ ? places * layers : 0)
{
    const std::vector<unsigned char> &by_value = coding_.by_value();
    for (std::size_t rank = 0; rank < by_value.size(); ++rank)
        rank_[by_value[rank]] = static_cast<unsigned char>(rank);
    if ((deviating_ || trending_) && !by_value.empty())
        centre_ = coding_.value(by_value[by_value.size() / 2]);
    if (deviating_ || trending_ || summing_)
        result_.emplace(*result);
    squares_.resize(deviating_ ? places : 0);
    line_.resize(trending_ ? places : 0);
}

void Statistic::clear(std::size_t size)
{
    std::fill_n(sum_.begin(), size, 0.0);
    std::fill_n(count_.begin(), size, std::size_t{0});
    if (deviating_)
        std::fill_n(squares_.begin(), size, 0.0);
    if (trending_)
        std::fill_n(line_.begin(), size, Line{});
    image_ = 0;
}

void Statistic::make_room()
{
    first_.resize(count_.size());
    std::size_t room = 0;
    for (std::size_t at = 0; at < count_.size(); ++at) {
        first_[at] = room;
        room += std::exchange(count_[at], std::size_t{0});
    }
    kept_.assign(room, 0);
}

void Statistic::finish(std::size_t size, unsigned char *result)
{
    if (counting_) {
        for (std::size_t at = 0; at < size; ++at) {
            result[at] =
                static_cast<unsigned char>(std::min<std::size_t>(count_[at], most_counted));
            beyond_ += count_[at] > most_counted;
        }
        return;
    }
    if (deviating_ || trending_ || summing_) {
        // One value has a deviation of its own but no line; a sum is a
        // total only of a value of every image.
        const std::size_t fewest = summing_ ? layers_ : trending_ ? 2 : 1;
        for (std::size_t at = 0; at < size; ++at) {
            if (count_[at] < fewest) {
                result[at] = coded_missing;
                continue;
            }
            const double value = trending_ ? trend(at) : deviating_ ? deviation(at) : sum_[at];
            result[at] = result_->nearest(value);
            beyond_ += result_->beyond(result[at], value);
        }
        return;
    }
    for (std::size_t at = 0; at < size; ++at)
        if (count_[at] > 0)
            result[at] = median_ ? median(at)
                         : mean_ ? coding_.nearest(sum_[at] / static_cast<double>(count_[at]))
                                 : best_[at];
}

double Statistic::deviation(std::size_t at) const
{
    const double n = static_cast<double>(count_[at]), mean = sum_[at] / n;
    // Rounding can leave values all alike a variance just below 0.
    return std::sqrt(std::max(squares_[at] / n - mean * mean, 0.0));
}

double Statistic::trend(std::size_t at) const
{
    // The images' numbers differ, so two values or more make a line; the
    // sums of the numbers are whole and exact.
    const double n = static_cast<double>(count_[at]);
    const Line &line = line_[at];
    return (n * line.xy - line.x * sum_[at]) / (n * line.xx - line.x * line.x);
}

unsigned char Statistic::median(std::size_t at)
{
    unsigned char *const kept = &kept_[first_kept(at)];
    unsigned char *const middle = kept + count_[at] / 2;
    std::nth_element(kept, middle, kept + count_[at]);
    const std::vector<unsigned char> &by_value = coding_.by_value();
    const unsigned char upper = by_value[*middle];
    if (count_[at] % 2 == 1)
        return upper;
    const unsigned char lower = by_value[*std::max_element(kept, middle)];
    return coding_.nearest((coding_.value(lower) + coding_.value(upper)) / 2);
}

} // namespace cli
