#include "start_value.h"

namespace kestrix {

namespace {

int DigitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value;
}

}  // namespace

std::optional<std::int32_t> ParseStartValue(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;

    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }

    int base = 10;
    const std::string_view rest = text.substr(pos);
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        base = 16;
        pos += 1;
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        base = 16;
        pos += 2;
    }

    if (pos >= text.size()) return std::nullopt;
    // Decimal values must lie in the signed 32-bit range; hexadecimal takes up
    // to 32 bits and reads them as a signed value ("$FFFFFFFF" is -1), as the
    // settings file's integers do.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFULL : (negative ? 2147483648ULL : 2147483647ULL);
    std::uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = DigitValue(text[pos], base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (magnitude > limit) return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0U - bits : bits);
}

std::string StartValueError(std::string_view text) {
    std::string message = "'";
    message.append(text).append("' is not a valid integer value");
    return message;
}

}  // namespace kestrix
