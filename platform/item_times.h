#pragma once

#include <optional>
#include <string>

#include "engine/item_facts.h"

namespace kestrix::platform {

// When the item at `path` itself (a link is not followed) was last modified,
// in the local time of this machine; none when nothing is there.
std::optional<DateTime> ModifiedLocalTime(const std::string& path);

}  // namespace kestrix::platform
