#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// Converts a numbering start value: optional leading blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x"/"X" or "0x"/"0X".
// A decimal value must fit a signed 32-bit integer; hexadecimal takes up to
// 32 bits read as a signed value ("$FFFFFFFF" is -1). Anything else (trailing
// blanks, other characters, no digit, out of range) gives nullopt.
std::optional<std::int32_t> ParseStartValue(std::string_view text);

// Why a start value does not convert, naming the text as a conversion error
// would: "'1a' is not a valid integer value".
std::string StartValueError(std::string_view text);

}  // namespace kestrix
