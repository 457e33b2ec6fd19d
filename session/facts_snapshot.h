#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/list_entry.h"
#include "platform/item_metadata.h"
#include "session/metadata_cache.h"

namespace kestrix::session {

// What the metadata cache knows of every entry of the list, taken at one lock
// and kept while neither the cache nor the list changes, so that proposing
// the whole list anew finds each entry's facts by its row: a comparison of
// its path, without a lock, a hash or a copy.
class FactsSnapshot {
public:
    // Takes the `fields` of `entries` from `cache` (caught up with the disk)
    // unless the snapshot holds them as they stand; `anew` takes them anyway.
    void refresh(MetadataCache& cache, const std::vector<ListEntry>& entries, platform::MetadataFields fields,
                 bool anew = false);

    // What a row's item says; the date a photo was taken beside the rest, as
    // a name template mostly asks for it alone.
    struct Row {
        const platform::ItemMetadata* item = nullptr;
        std::optional<DateTime> dateTaken;
    };
    enum class Lookup {
        Found,    // the facts are those of the row found
        Unknown,  // the cache could not tell the item without asking the disk
        Moved,    // the row holds another path than when the snapshot was taken
    };
    // The facts of the entry at `row` whose path is `path`.
    Lookup find(std::int64_t row, std::string_view path, const Row*& found) const;

    void clear();

private:
    std::uint64_t changes_ = 0;
    platform::MetadataFields fields_ = 0;
    bool taken_ = false;
    std::string paths_;                         // every row's path, one after the other
    std::vector<std::size_t> ends_;             // where each row's path ends in paths_
    std::vector<MetadataCache::Shared> known_;  // per row; null: Unknown
    std::vector<Row> rows_;
};

}  // namespace kestrix::session
