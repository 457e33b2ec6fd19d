#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "folders.h"

namespace kestrix::platform {

// Visits the entries of `folder` and, with `recurse`, of every folder below
// it, depth first: a folder's own entry comes before its contents, and the
// entries of one folder come in ListFolder's order. The entry's full path is
// `parent` followed by `name`; `parent` is `folder` (with a '/' added when it
// has none) followed by the names below it, ending with '/', however long
// that grows. Both views hold only during the call. Links are never descended into,
// nor is a folder that already lies on the way down (a bind mount of its own
// parent), so the walk always ends. Folders are opened relative to the one
// above them, so a tree deeper than the system's longest path is walked
// whole. A folder that cannot be read contributes nothing.
// FIFOs, sockets and device nodes go to `special` instead, when it is given.
using WalkVisit = std::function<void(std::string_view parent, std::string_view name, bool isFolder)>;
using WalkSpecial = std::function<void(std::string_view parent, std::string_view name)>;
void WalkFolder(const std::string& folder, bool recurse, const WalkVisit& visit,
                const WalkSpecial& special = nullptr);

}  // namespace kestrix::platform
