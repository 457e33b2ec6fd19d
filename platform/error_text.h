#pragma once

#include <string>

namespace kestrix::platform {

// What a system error means, in the user's words (Polish): the common errors
// of renaming and of writing a file have texts of their own; the rare rest
// takes the system's text (strerror).
std::string ErrorText(int error);

}  // namespace kestrix::platform
