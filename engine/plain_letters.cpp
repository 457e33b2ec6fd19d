#include "plain_letters.h"

#include <utf8proc.h>

#include "utf8.h"

namespace kestrix {

namespace {

// ł and Ł have no decomposition (their stroke is part of the letter), the
// rest would decompose too; all eighteen are named so none depends on it.
char PolishBase(char32_t c) {
    switch (c) {
        case U'ą':
            return 'a';
        case U'ć':
            return 'c';
        case U'ę':
            return 'e';
        case U'ł':
            return 'l';
        case U'ń':
            return 'n';
        case U'ó':
            return 'o';
        case U'ś':
            return 's';
        case U'ź':
        case U'ż':
            return 'z';
        case U'Ą':
            return 'A';
        case U'Ć':
            return 'C';
        case U'Ę':
            return 'E';
        case U'Ł':
            return 'L';
        case U'Ń':
            return 'N';
        case U'Ó':
            return 'O';
        case U'Ś':
            return 'S';
        case U'Ź':
        case U'Ż':
            return 'Z';
        default:
            return 0;
    }
}

bool IsLetter(utf8proc_int32_t c) {
    switch (utf8proc_category(c)) {
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

bool IsMark(utf8proc_int32_t c) {
    const utf8proc_category_t category = utf8proc_category(c);
    return category == UTF8PROC_CATEGORY_MN || category == UTF8PROC_CATEGORY_MC ||
           category == UTF8PROC_CATEGORY_ME;
}

// The plain letter `c` decomposes into, or 0 when it is no letter with marks.
char32_t DecomposedBase(char32_t c) {
    utf8proc_int32_t parts[8];
    const utf8proc_ssize_t count =
        utf8proc_decompose_char(static_cast<utf8proc_int32_t>(c), parts, 8, UTF8PROC_DECOMPOSE, nullptr);
    if (count < 2 || count > 8 || !IsLetter(parts[0])) return 0;
    for (utf8proc_ssize_t i = 1; i < count; ++i) {
        if (!IsMark(parts[i])) return 0;
    }
    return static_cast<char32_t>(parts[0]);
}

}  // namespace

std::string WithoutDiacritics(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8::CharLength(text, pos);
        const unsigned char lead = static_cast<unsigned char>(text[pos]);
        if (length == 1 || lead < 0x80) {
            out.push_back(text[pos]);
            pos += length;
            continue;
        }
        const char32_t c = utf8::Decode(text, pos, length);
        if (const char base = PolishBase(c)) {
            out.push_back(base);
        } else if (const char32_t plain = DecomposedBase(c)) {
            char encoded[4];
            out.append(encoded, utf8::Encode(plain, encoded));
        } else {
            out.append(text.substr(pos, length));
        }
        pos += length;
    }
    return out;
}

}  // namespace kestrix
