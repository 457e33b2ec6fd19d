#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kestrix::utf8 {

// A character of a name is one code point of its UTF-8 text; a byte that does
// not start a well-formed sequence (stray continuation byte, truncated or
// overlong sequence, surrogate, value above U+10FFFF) is a character of its own.

// Byte length of the character starting at `pos` (pos < text.size()).
inline std::size_t CharLength(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) return 1;
    const std::size_t left = text.size() - pos;
    const auto cont = [&](std::size_t i) { return (byte(pos + i) & 0xC0) == 0x80; };
    if (lead >= 0xC2 && lead <= 0xDF) {
        return (left >= 2 && cont(1)) ? 2 : 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3) return 1;
        const unsigned char second = byte(pos + 1);
        // E0 needs A0..BF (no overlong forms), ED needs 80..9F (no surrogates).
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return (second >= low && second <= high && cont(2)) ? 3 : 1;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4) return 1;
        const unsigned char second = byte(pos + 1);
        // F0 needs 90..BF (no overlong forms), F4 needs 80..8F (at most U+10FFFF).
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return (second >= low && second <= high && cont(2) && cont(3)) ? 4 : 1;
    }
    return 1;
}

// Byte offset reached from `pos` after `count` characters, or the end of the
// text when fewer follow. A count of 0 or less stays at `pos`.
inline std::size_t Advance(std::string_view text, std::size_t pos, std::int64_t count) {
    const std::size_t size = text.size();
    while (count > 0 && pos < size) {
        pos += CharLength(text, pos);
        --count;
    }
    return pos;
}

inline std::int64_t CharCount(std::string_view text) {
    std::int64_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); pos += CharLength(text, pos)) ++count;
    return count;
}

// The code point of the well-formed sequence of `length` bytes at `pos`
// (`length` as CharLength gives it, 2 to 4).
inline char32_t Decode(std::string_view text, std::size_t pos, std::size_t length) {
    const auto byte = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(text[pos + i]));
    };
    switch (length) {
        case 2:
            return (byte(0) & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (byte(0) & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        default:
            return (byte(0) & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}

// Writes the UTF-8 form of a Unicode scalar value (not a surrogate, at most
// U+10FFFF) to `out` and returns its length, 1 to 4.
inline std::size_t Encode(char32_t c, char (&out)[4]) {
    if (c < 0x80) {
        out[0] = static_cast<char>(c);
        return 1;
    }
    if (c < 0x800) {
        out[0] = static_cast<char>(0xC0 | c >> 6);
        out[1] = static_cast<char>(0x80 | (c & 0x3F));
        return 2;
    }
    if (c < 0x10000) {
        out[0] = static_cast<char>(0xE0 | c >> 12);
        out[1] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out[2] = static_cast<char>(0x80 | (c & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | c >> 18);
    out[1] = static_cast<char>(0x80 | (c >> 12 & 0x3F));
    out[2] = static_cast<char>(0x80 | (c >> 6 & 0x3F));
    out[3] = static_cast<char>(0x80 | (c & 0x3F));
    return 4;
}

// True when every character is a well-formed sequence.
inline bool IsValid(std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLength(text, pos);
        if (length == 1 && static_cast<unsigned char>(text[pos]) >= 0x80) return false;
        pos += length;
    }
    return true;
}

}  // namespace kestrix::utf8
