#include "run/run_planner.h"

#include "engine/name_transform.h"
#include "platform/rename.h"

namespace kestrix::run {

std::string RefusedReason(std::string_view current, std::string_view proposed) {
    const std::string_view folder = FolderPart(current);
    if (proposed.substr(0, folder.size()) != folder) return platform::RefusedNameReason("/");
    return platform::RefusedNameReason(proposed.substr(folder.size()));
}

RunPlanner::RunPlanner(const std::vector<PlanEntry>& plan, Assumes assumes) : assumes_(assumes) {
    for (const PlanEntry& entry : plan) holding_.addParentsOf(entry.current);
}

RunPlanner::RunPlanner(const std::vector<ListEntry>& entries) : assumes_(Assumes::EarlierStay) {
    for (const ListEntry& entry : entries) holding_.addParentsOf(entry.current);
}

RunPlanner::Decision RunPlanner::decide(const std::string& current, const std::string& proposed) const {
    Decision decision;
    decide(current, proposed, decision);
    return decision;
}

void RunPlanner::decide(const std::string& current, const std::string& proposed, Decision& decision) const {
    // Only a folder that holds items of the run can move them.
    decision.holdsOthers = holding_.contains(assumes_ == Assumes::EarlierStay ? current : proposed);
    if (moves_.empty()) {
        decision.from.assign(current);
        decision.to.assign(proposed);
    } else {
        decision.from = moves_.repoint(current);
        decision.to = moves_.repoint(proposed);
    }
    decision.refused.clear();
    if (!decision.unchanged()) {
        std::string refused = RefusedReason(decision.from, decision.to);
        if (!refused.empty()) decision.refused = std::move(refused);
    }
}

void RunPlanner::settle(const Decision& decision, bool renamed) {
    settleAt(decision, renamed ? decision.to : decision.from);
}

void RunPlanner::settleAt(const Decision& decision, const std::string& where) {
    if (!decision.holdsOthers || decision.unchanged()) return;
    // Later entries' paths have the item where they assume it; record where it is instead.
    const std::string& assumed = assumes_ == Assumes::EarlierStay ? decision.from : decision.to;
    if (where != assumed) moves_.record(assumed, where);
}

}  // namespace kestrix::run
