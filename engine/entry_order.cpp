#include "entry_order.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

namespace kestrix {

namespace {

std::vector<std::size_t> Identity(std::size_t count) {
    std::vector<std::size_t> order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

}  // namespace

std::vector<std::size_t> OrderByText(const std::vector<std::string>& keys, bool descending) {
    // Each key beside its position: the comparisons read the keys without
    // going through the positions, and the position breaks ties, which keeps
    // the order stable without a stable sort's merging.
    std::vector<std::pair<std::string_view, std::size_t>> keyed(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) keyed[i] = {keys[i], i};
    std::sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        const int compared = a.first.compare(b.first);
        if (compared != 0) return descending ? compared > 0 : compared < 0;
        return a.second < b.second;
    });
    std::vector<std::size_t> order(keys.size());
    for (std::size_t i = 0; i < keyed.size(); ++i) order[i] = keyed[i].second;
    return order;
}

std::vector<std::size_t> OrderByNumber(const std::vector<std::optional<std::int64_t>>& keys,
                                       bool descending) {
    // As for the texts: each key beside its position, the position breaking
    // ties; the entries without a key follow in their order.
    std::vector<std::pair<std::int64_t, std::size_t>> keyed;
    keyed.reserve(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i]) keyed.emplace_back(*keys[i], i);
    }
    std::sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
        if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
        return a.second < b.second;
    });
    std::vector<std::size_t> order;
    order.reserve(keys.size());
    for (const auto& [key, i] : keyed) order.push_back(i);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i]) order.push_back(i);
    }
    return order;
}

std::vector<std::size_t> OrderByDateTaken(const std::vector<std::optional<std::string>>& dates,
                                          const std::vector<std::string>& nameKeys, bool descending) {
    std::vector<std::size_t> order = Identity(dates.size());
    const auto undated = std::stable_partition(order.begin(), order.end(),
                                               [&](std::size_t i) { return dates[i].has_value(); });
    std::stable_sort(order.begin(), undated, [&](std::size_t a, std::size_t b) {
        return descending ? *dates[b] < *dates[a] : *dates[a] < *dates[b];
    });
    std::stable_sort(undated, order.end(),
                     [&](std::size_t a, std::size_t b) { return nameKeys[a] < nameKeys[b]; });
    return order;
}

bool KeepsPlaces(const std::vector<std::size_t>& order) {
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] != i) return false;
    }
    return true;
}

}  // namespace kestrix
