#include "name_masks.h"

#include "letter_case.h"
#include "utf8.h"

namespace kestrix {

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Glob matching on small-letter texts; '?' takes one character, not one byte.
bool Matches(std::string_view mask, std::string_view name) {
    std::size_t m = 0;
    std::size_t n = 0;
    std::size_t starAt = std::string_view::npos;
    std::size_t resumeAt = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starAt = ++m;
            resumeAt = n;
            continue;
        }
        if (m < mask.size()) {
            const std::size_t nameLength = utf8::CharLength(name, n);
            if (mask[m] == '?') {
                ++m;
                n += nameLength;
                continue;
            }
            const std::size_t maskLength = utf8::CharLength(mask, m);
            if (maskLength == nameLength && mask.compare(m, maskLength, name, n, nameLength) == 0) {
                m += maskLength;
                n += nameLength;
                continue;
            }
        }
        if (starAt == std::string_view::npos) return false;
        // The last '*' takes one more character and the rest is tried again.
        m = starAt;
        resumeAt += utf8::CharLength(name, resumeAt);
        n = resumeAt;
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

}  // namespace

std::optional<NameMasks> NameMasks::Parse(std::string_view text, std::string& error) {
    NameMasks masks;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(';', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view mask = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (mask.empty()) continue;
        if (mask.find('/') != std::string_view::npos || mask.find('\0') != std::string_view::npos) {
            error = "Maska „" + std::string(mask) +
                    "” zawiera znak „/”, którego nie ma w żadnej nazwie pliku ani katalogu.";
            return std::nullopt;
        }
        std::string small;
        AppendChangedCase(mask, true, small);
        masks.masks_.push_back(std::move(small));
    }
    if (masks.masks_.empty()) {
        error = "Nie podano żadnej maski. Wpisz na przykład *.jpg;*.jpeg";
        return std::nullopt;
    }
    return masks;
}

bool NameMasks::matches(std::string_view name) const {
    std::string small;
    AppendChangedCase(name, true, small);
    for (const std::string& mask : masks_) {
        if (Matches(mask, small)) return true;
    }
    return false;
}

}  // namespace kestrix
