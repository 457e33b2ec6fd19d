#pragma once

#include <functional>
#include <string>

#include "folders.h"

namespace kestrix::platform {

// Visits the entries of `folder` and, with `recurse`, of every folder below
// it, depth first: a folder's own entry comes before its contents, and the
// entries of one folder come in ListFolder's order. `path` is the entry's
// full path: `folder` (with a '/' added when it has none) followed by the
// names below it, however long that grows. Links are never descended into,
// nor is a folder that already lies on the way down (a bind mount of its own
// parent), so the walk always ends. Folders are opened relative to the one
// above them, so a tree deeper than the system's longest path is walked
// whole. A folder that cannot be read contributes nothing.
void WalkFolder(const std::string& folder, bool recurse,
                const std::function<void(const std::string& path, const FolderItem& item)>& visit);

}  // namespace kestrix::platform
