#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "extended_rules.h"
#include "rename_options.h"

namespace kestrix {

// The rename options made ready to apply: the numbering start value is
// converted once, when the rules are made. Rules exist only for options whose
// start value converts (or whose numbering is not in force), so applying them
// to a path or describing them never fails.
class RenameRules {
public:
    // The rules of `options`; nullopt when numbering is in force and its start
    // value does not convert (StartValueError(options.NumberStart) says so).
    static std::optional<RenameRules> From(const RenameOptions& options);

    const RenameOptions& options() const { return options_; }
    // The converted start value while numbering is in force; nullopt otherwise.
    std::optional<std::int32_t> start() const { return start_; }

    // The further rules, applied after these to the same part of the name; none by default.
    const ExtendedRules* extended() const { return extended_.get(); }
    void setExtended(std::shared_ptr<const ExtendedRules> extended) { extended_ = std::move(extended); }
    // Whether the proposed paths depend on the positions of the entries.
    bool dependOnPosition() const {
        return start_.has_value() || (extended_ && extended_->dependOnPosition());
    }

private:
    RenameRules(const RenameOptions& options, std::optional<std::int32_t> start)
        : options_(options), start_(start) {}

    RenameOptions options_;
    std::optional<std::int32_t> start_;
    std::shared_ptr<const ExtendedRules> extended_;
};

}  // namespace kestrix
