#include "rename_rules.h"

#include "start_value.h"

namespace kestrix {

std::optional<RenameRules> RenameRules::From(const RenameOptions& options) {
    if (!options.numberingInForce()) return RenameRules(options, std::nullopt);
    const std::optional<std::int32_t> start = ParseStartValue(options.NumberStart);
    if (!start) return std::nullopt;
    return RenameRules(options, start);
}

}  // namespace kestrix
