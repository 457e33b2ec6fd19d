#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// The order in which people read names, the same whatever the process's
// locale: runs of digits compare by their value ("IMG_2" before "IMG_10",
// "(2)" before "(10)"); letters by the Polish alphabet (a ą b c ć d e ę f g h
// i j k l ł m n ń o ó p q r s ś t u v w x y z ź ż), a capital beside its small
// letter and other Latin letters with marks beside their base letter, letters
// of other alphabets after those; marks, signs and spaces before digits,
// digits before letters. Letter case (small first) and leading zeros (fewer
// first) decide only between names otherwise equal, and the bytes last.
//
// The key of a name, compared as bytes (std::string's operator<), gives that
// order, so a list is sorted by computing each name's key once.
std::string NaturalSortKey(std::string_view name);

}  // namespace kestrix
