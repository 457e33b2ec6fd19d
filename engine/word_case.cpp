#include "word_case.h"

#include <utf8proc.h>

#include "letter_case.h"
#include "utf8.h"

namespace kestrix {

namespace {

bool StartsWordAfter(char c) {
    switch (c) {
        case ' ':
        case '_':
        case '-':
        case '.':
        case '(':
        case '[':
        case '{':
            return true;
        default:
            return false;
    }
}

bool IsLetter(std::string_view character) {
    if (character.size() == 1) {
        const char c = character.front();
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    }
    const char32_t code = utf8::Decode(character, 0, character.size());
    switch (utf8proc_category(static_cast<utf8proc_int32_t>(code))) {
        case UTF8PROC_CATEGORY_LU:
        case UTF8PROC_CATEGORY_LL:
        case UTF8PROC_CATEGORY_LT:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string InWordCase(std::string_view text, WordCase wordCase) {
    std::string out;
    out.reserve(text.size());
    bool wordStarts = true;
    bool firstLetterSeen = false;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = utf8::CharLength(text, pos);
        const std::string_view character = text.substr(pos, length);
        pos += length;
        // A byte that is not UTF-8 is no letter and stays.
        if (length == 1 && static_cast<unsigned char>(character.front()) >= 0x80) {
            out.append(character);
            wordStarts = false;
            continue;
        }
        if (!IsLetter(character)) {
            out.append(character);
            wordStarts = length == 1 && StartsWordAfter(character.front());
            continue;
        }
        const bool upper = wordCase == WordCase::EveryWord ? wordStarts : !firstLetterSeen;
        AppendChangedCase(character, !upper, out);
        firstLetterSeen = true;
        wordStarts = false;
    }
    return out;
}

}  // namespace kestrix
