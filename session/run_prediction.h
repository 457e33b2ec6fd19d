#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/list_entry.h"
#include "platform/name_rules.h"

namespace kestrix::session {

// Why the rename of an entry will not be done when the list is applied now.
enum class Conflict : std::uint8_t {
    None,
    SameName,       // an earlier entry of the list takes the same name first
    TakenOutside,   // an item that is not on the list has the name
    TakenByListed,  // an item of the list has the name and has not given it up by then
    Refused,        // the new name is refused before the disk is touched (the name fault says why)
    Missing,        // the item no longer exists
    ListedTwice,    // the item is listed earlier too, and has been renamed by then
    FolderError,    // its folder cannot be read or changed; the errno says why
    LacksFact,      // the rules need a fact the item lacks (ListEntry::missing), so it keeps its name
    Locked,         // the item is immutable or append-only (chattr +i, +a)
    ReachedTwice,   // an earlier entry reaches the same item through another path (a linked folder)
    LinkBroken,     // the path leads through a link to a folder an earlier entry renames
};

struct ConflictMark {
    ConflictMark() = default;
    ConflictMark(Conflict conflict, int error = 0) : conflict(conflict), error(error) {}
    ConflictMark(Conflict conflict, platform::NameFault name) : conflict(conflict), name(name) {}

    Conflict conflict = Conflict::None;
    platform::NameFault name;  // what is wrong with the new name of a Refused one
    int error = 0;             // the errno of a FolderError
    bool failing() const { return conflict != Conflict::None; }
    friend bool operator==(const ConflictMark&, const ConflictMark&) = default;
};

// Why the rename of `entry` will not be done, in the user's words; empty when it will.
std::string ConflictReason(const ConflictMark& mark, const ListEntry& entry);

// The conflicts that show without the disk: entries that lack a fact the
// rules need, refused names, and a later entry that proposes the path an
// earlier one proposes.
std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries);
// The same as if each entry of `rows` (ascending) proposed the path of
// `proposed` and lacked the fact of `missing` at the same place.
std::vector<ConflictMark> PredictWithoutDisk(const std::vector<ListEntry>& entries,
                                             const std::vector<std::uint32_t>& rows,
                                             const std::vector<std::string>& proposed,
                                             const std::vector<MissingFact>& missing);

// Every conflict of a run over `entries` started now: the run is played in
// list order with the decisions the run takes (folder renames re-pointing
// later entries, refused names, never replacing) against one listing of every
// folder the list touches, where a folder that holds letter case as one name
// holds names equal but for case as one. Nothing is made on disk. Stops early
// (nullopt) once `cancelled` says so. With a `cache`, a folder it kept from an
// earlier prediction is not read again unless it changed since.
class FolderCache;
std::optional<std::vector<ConflictMark>> PredictRun(const std::vector<ListEntry>& entries,
                                                    const std::function<bool()>& cancelled = {},
                                                    FolderCache* cache = nullptr);

}  // namespace kestrix::session
