#include "session/facts_snapshot.h"

namespace kestrix::session {

void FactsSnapshot::refresh(MetadataCache& cache, const std::vector<ListEntry>& entries,
                            platform::MetadataFields fields, bool anew) {
    if (!anew && taken_ && !(fields & ~fields_) && ends_.size() == entries.size() &&
        cache.changes() == changes_) {
        return;
    }
    paths_.clear();
    ends_.clear();
    ends_.reserve(entries.size());
    std::vector<std::string_view> paths;
    paths.reserve(entries.size());
    for (const ListEntry& entry : entries) {
        paths_.append(entry.current);
        ends_.push_back(paths_.size());
        paths.emplace_back(entry.current);
    }
    changes_ = cache.trustedFieldsOf(paths, fields, known_);
    rows_.assign(known_.size(), Row{});
    for (std::size_t i = 0; i < known_.size(); ++i) {
        if (!known_[i]) continue;
        rows_[i].item = known_[i].get();
        rows_[i].dateTaken = known_[i]->dateTaken;
    }
    fields_ = fields;
    taken_ = true;
}

FactsSnapshot::Lookup FactsSnapshot::find(std::int64_t row, std::string_view path, const Row*& found) const {
    if (row < 0 || static_cast<std::uint64_t>(row) >= ends_.size()) return Lookup::Moved;
    const auto at = static_cast<std::size_t>(row);
    const std::size_t begin = at == 0 ? 0 : ends_[at - 1];
    if (std::string_view(paths_).substr(begin, ends_[at] - begin) != path) return Lookup::Moved;
    found = &rows_[at];
    return found->item ? Lookup::Found : Lookup::Unknown;
}

void FactsSnapshot::clear() {
    taken_ = false;
    paths_ = {};
    ends_ = {};
    known_ = {};
    rows_ = {};
}

}  // namespace kestrix::session
