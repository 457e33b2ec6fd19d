#pragma once

#include <string>
#include <string_view>

namespace kestrix {

// `text` without diacritics: the Polish letters ą ć ę ł ń ó ś ź ż and their
// capitals become a c e l n o s z z (A C E L N O S Z Z); any other letter
// whose canonical decomposition is a plain letter followed by marks becomes
// that letter ("é" e, "ř" r, "ů" u). Everything else stays as it is, bytes
// that are not UTF-8 included.
std::string WithoutDiacritics(std::string_view text);

}  // namespace kestrix
