#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// The two letter cases of words. Letters change through Unicode's simple
// case mapping, as the plain letter-case rule changes them.
enum class WordCase {
    FirstCapital,  // the first letter of the text upper, every other letter lower
    EveryWord,     // a letter that starts a word upper, every other letter lower
};

// `text` in `wordCase`. A word starts at the start of the text and after a
// space, an underscore, a hyphen, a dot or an opening bracket; an apostrophe,
// a digit or any other character starts none ("don't" gives "Don't", "2pac"
// stays "2pac").
std::string InWordCase(std::string_view text, WordCase wordCase);

}  // namespace kestrix
