#include "natural_order.h"

#include <cstdint>

#include <utf8proc.h>

#include "utf8.h"

namespace kestrix {

namespace {

// The key is three parts, each ending with a zero byte, which no part holds
// otherwise: the primary weights (what the reader sees as different), the
// secondary ones (case and leading zeros), then the name's own bytes. Every
// primary unit starts with its class, and within a class all units have one
// length, so comparing bytes compares unit by unit.
enum Class : char { Sign = 1, Number = 2, Letter = 3, OtherLetter = 4, Stray = 5 };

constexpr char kSmall = 1;
constexpr char kCapital = 2;

// The Polish alphabet's position of a small letter (1 to 35), 0 for others.
int PolishWeight(char32_t c) {
    if (c >= U'a' && c <= U'z') {
        // Each Polish letter with a mark follows its base letter.
        static constexpr int kBase[26] = {1,  3,  4,  6,  7,  9,  10, 11, 12, 13, 14, 15, 17,
                                          18, 20, 22, 23, 24, 25, 27, 28, 29, 30, 31, 32, 33};
        return kBase[c - U'a'];
    }
    switch (c) {
        case U'ą':
            return 2;
        case U'ć':
            return 5;
        case U'ę':
            return 8;
        case U'ł':
            return 16;
        case U'ń':
            return 19;
        case U'ó':
            return 21;
        case U'ś':
            return 26;
        case U'ź':
            return 34;
        case U'ż':
            return 35;
        default:
            return 0;
    }
}

char32_t Lower(char32_t c) {
    return static_cast<char32_t>(utf8proc_tolower(static_cast<utf8proc_int32_t>(c)));
}

// A Latin letter with marks that Polish does not use weighs as its base letter ("é" as "e").
int BaseLetterWeight(char32_t small) {
    utf8proc_int32_t decomposed[4];
    int boundary = 0;
    const utf8proc_ssize_t length = utf8proc_decompose_char(
        static_cast<utf8proc_int32_t>(small), decomposed, 4,
        static_cast<utf8proc_option_t>(UTF8PROC_DECOMPOSE | UTF8PROC_STRIPMARK), &boundary);
    if (length != 1 || decomposed[0] < 'a' || decomposed[0] > 'z') return 0;
    return PolishWeight(static_cast<char32_t>(decomposed[0]));
}

void AppendCodePoint(std::string& out, char32_t c) {
    // 21 bits in three bytes, none of them zero.
    out.push_back(static_cast<char>((c >> 14 & 0x7F) + 1));
    out.push_back(static_cast<char>((c >> 7 & 0x7F) + 1));
    out.push_back(static_cast<char>((c & 0x7F) + 1));
}

bool IsLetter(char32_t c) {
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(c))) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
        case UTF8PROC_CATEGORY_LM:
        case UTF8PROC_CATEGORY_LO:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string NaturalSortKey(std::string_view name) {
    std::string primary;
    std::string secondary;
    primary.reserve(name.size() * 2 + 8);
    for (std::size_t pos = 0; pos < name.size();) {
        const auto byte = static_cast<unsigned char>(name[pos]);
        if (byte >= '0' && byte <= '9') {
            std::size_t end = pos;
            while (end < name.size() && name[end] >= '0' && name[end] <= '9') ++end;
            std::size_t first = pos;
            while (first + 1 < end && name[first] == '0') ++first;
            // Longer numbers are greater; equal lengths compare digit by digit.
            const std::size_t digits = end - first;
            primary.push_back(Number);
            primary.push_back(static_cast<char>(digits / 255 + 1));
            primary.push_back(static_cast<char>(digits % 255 + 1));
            primary.append(name.substr(first, digits));
            const std::size_t zeros = first - pos;
            secondary.push_back(static_cast<char>(zeros < 254 ? zeros + 1 : 255));
            pos = end;
            continue;
        }
        if (byte < 0x80) {
            // ASCII without asking Unicode's tables.
            const bool capital = byte >= 'A' && byte <= 'Z';
            if (capital || (byte >= 'a' && byte <= 'z')) {
                primary.push_back(Letter);
                primary.push_back(static_cast<char>(PolishWeight(capital ? byte + ('a' - 'A') : byte)));
                secondary.push_back(capital ? kCapital : kSmall);
            } else {
                primary.push_back(Sign);
                AppendCodePoint(primary, byte);
            }
            ++pos;
            continue;
        }
        const std::size_t length = utf8::CharLength(name, pos);
        if (length == 1 && byte >= 0x80) {
            primary.push_back(Stray);
            primary.push_back(static_cast<char>(byte));
            ++pos;
            continue;
        }
        const char32_t c = length == 1 ? byte : utf8::Decode(name, pos, length);
        pos += length;
        if (!IsLetter(c)) {
            primary.push_back(Sign);
            AppendCodePoint(primary, c);
            continue;
        }
        const char32_t small = Lower(c);
        const char caseWeight = small != c ? kCapital : kSmall;
        int weight = PolishWeight(small);
        if (weight == 0) weight = BaseLetterWeight(small);
        if (weight != 0) {
            primary.push_back(Letter);
            primary.push_back(static_cast<char>(weight));
        } else {
            primary.push_back(OtherLetter);
            AppendCodePoint(primary, small);
        }
        secondary.push_back(caseWeight);
    }
    std::string key;
    key.reserve(primary.size() + secondary.size() + name.size() + 2);
    key.append(primary);
    key.push_back('\0');
    key.append(secondary);
    key.push_back('\0');
    key.append(name);
    return key;
}

}  // namespace kestrix
