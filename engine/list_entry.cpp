#include "list_entry.h"

namespace kestrix {

namespace {
constexpr std::string_view kOpenCurrent = "<n1>";
constexpr std::string_view kBetween = "</n1><n2>";
constexpr std::string_view kCloseProposed = "</n2>";
}  // namespace

std::string ListEntry::text() const {
    std::string result;
    result.reserve(kOpenCurrent.size() + current.size() + kBetween.size() + proposed.size() +
                   kCloseProposed.size());
    result.append(kOpenCurrent).append(current).append(kBetween).append(proposed).append(kCloseProposed);
    return result;
}

std::string ExtractTagText(std::string_view text, std::string_view tag) {
    if (tag.empty()) return {};
    const std::size_t open = text.find(tag);
    if (open == std::string_view::npos) return {};

    std::string closing;
    closing.reserve(tag.size() + 1);
    closing.push_back(tag.front());
    closing.push_back('/');
    closing.append(tag.substr(1));

    // The closing tag is looked for from the very start of the text, not from
    // after the opening tag, so a closing tag in front of the opening one
    // yields nothing.
    const std::size_t start = open + tag.size();
    const std::size_t end = text.find(closing);
    if (end == std::string_view::npos || end <= start) return {};
    return std::string(text.substr(start, end - start));
}

}  // namespace kestrix
