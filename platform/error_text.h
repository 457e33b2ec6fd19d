#pragma once

#include <string>

#include "name_rules.h"

namespace kestrix::platform {

// What a system error means, in the user's words (Polish): the common errors
// of renaming and of writing a file have texts of their own; the rare rest
// takes the system's text (strerror).
std::string ErrorText(int error);

// What keeps a new name from being made, in the user's words (Polish): the
// character a file system refuses is named; empty for no fault.
std::string NameFaultText(const NameFault& fault);

}  // namespace kestrix::platform
