#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrix {

// Letter case of a UTF-8 text: every code point takes its partner under
// Unicode's simple one-to-one case mapping, the same on every machine whatever
// its locale ("Ł" and "ł", "Ǆ", "ǅ" and "ǆ" lower-case to "ǆ"); a character
// without a partner and a byte that is not UTF-8 stay as they are. The number
// of characters never changes, but a partner may be written with another
// number of bytes ("ſ" upper-cases to "S", "Ⱥ" lower-cases to "ⱥ").

// Changes the case of text[0, size) in place up to the first character whose
// partner has another byte length, and returns that character's offset; size
// when the whole text was changed (always so for ASCII text).
std::size_t ChangeCaseInPlace(char* text, std::size_t size, bool toLower);

// Whether a code point is a letter of any script (Unicode's letter categories).
bool IsLetter(char32_t c);

// Appends `text`, its case changed, to `out`.
void AppendChangedCase(std::string_view text, bool toLower, std::string& out);

}  // namespace kestrix
