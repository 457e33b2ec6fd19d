#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "list_entry.h"
#include "path_parts.h"
#include "rename_rules.h"

namespace kestrix {

// The name transformation: the entry for `path` at list position `index` in a
// list of `count` entries (N, which sets the width of leading zeros), with the
// rules applied to the last path component in their fixed order: new
// extension, scope split, replacement, deletion, insertion, letter case,
// spaces, numbering, rejoin. The folder part (up to and including the last
// '/') is never touched. A folder's name has no extension: a new extension
// and the extension-only scope leave it as it is, the name-only scope works
// on the whole of it.
ListEntry TransformPath(std::string_view path, std::int64_t index, std::int64_t count,
                        const RenameRules& rules, ItemKind kind = ItemKind::File);
// The same for the item `name` of `folder` (empty, or ending with '/'), as a
// walk of a folder tree gives them: the entry is the only thing allocated.
ListEntry TransformPath(std::string_view folder, std::string_view name, std::int64_t index,
                        std::int64_t count, const RenameRules& rules, ItemKind kind);

// The proposed path of the item at `path` alone, written to `proposed` (whose
// room is reused): what TransformPath would propose, and the fact the item
// lacks if any (it then keeps its path).
MissingFact ProposePath(std::string_view path, std::int64_t index, std::int64_t count,
                        const RenameRules& rules, ItemKind kind, std::string& proposed);

// The extension of a name: its last dot and what follows, "" when there is
// none. Leading dots mark a hidden file and never start an extension:
// ".profile" has none, ".profile.bak" has ".bak".
std::string_view Extension(std::string_view name);

}  // namespace kestrix
