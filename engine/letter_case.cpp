#include "letter_case.h"

#include <cstring>

#include <utf8proc.h>

#include "utf8.h"

namespace kestrix {

namespace {

char AsciiPartner(char byte, bool toLower) {
    const unsigned char first = toLower ? 'A' : 'a';
    const int shift = toLower ? 'a' - 'A' : 'A' - 'a';
    const bool letter = static_cast<unsigned char>(byte - first) < 26;
    return static_cast<char>(byte + (letter ? shift : 0));
}

char32_t Partner(char32_t c, bool toLower) {
    // utf8proc upper-cases "ß" to "ẞ", which Unicode's simple mapping does not
    // (nor the C library or ICU): "ß" has no one-to-one upper-case partner.
    if (c == U'ß') return c;
    const auto code = static_cast<utf8proc_int32_t>(c);
    return static_cast<char32_t>(toLower ? utf8proc_tolower(code) : utf8proc_toupper(code));
}

// The length of the character at `pos`, and the UTF-8 form of its partner in
// `partner`, `partnerLength` bytes long.
std::size_t PartnerAt(std::string_view text, std::size_t pos, bool toLower, char (&partner)[4],
                      std::size_t& partnerLength) {
    const std::size_t length = utf8::CharLength(text, pos);
    if (length == 1) {
        partner[0] = AsciiPartner(text[pos], toLower);
        partnerLength = 1;
    } else {
        partnerLength = utf8::Encode(Partner(utf8::Decode(text, pos, length), toLower), partner);
    }
    return length;
}

}  // namespace

std::size_t ChangeCaseInPlace(char* text, std::size_t size, bool toLower) {
    const std::string_view view(text, size);
    std::size_t pos = 0;
    while (pos < size) {
        // Names are mostly ASCII: a run of it changes without decoding.
        for (; pos < size && static_cast<unsigned char>(text[pos]) < 0x80; ++pos)
            text[pos] = AsciiPartner(text[pos], toLower);
        if (pos == size) break;
        char partner[4];
        std::size_t partnerLength = 0;
        const std::size_t length = PartnerAt(view, pos, toLower, partner, partnerLength);
        if (partnerLength != length) return pos;
        std::memcpy(text + pos, partner, length);
        pos += length;
    }
    return size;
}

void AppendChangedCase(std::string_view text, bool toLower, std::string& out) {
    for (std::size_t pos = 0; pos < text.size();) {
        char partner[4];
        std::size_t partnerLength = 0;
        pos += PartnerAt(text, pos, toLower, partner, partnerLength);
        out.append(partner, partnerLength);
    }
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

}  // namespace kestrix
