#include "run/run_planner.h"

#include "engine/name_transform.h"
#include "platform/path_limits.h"

namespace kestrix::run {

platform::NameFault Refusal(std::string_view current, std::string_view proposed, platform::NameRules rules) {
    const std::string_view folder = FolderPart(current);
    if (proposed.substr(0, folder.size()) != folder) return {platform::NameFault::Kind::Slash};
    const platform::NameFault fault = platform::NameFaultOf(proposed.substr(folder.size()), rules);
    if (!fault.empty()) return fault;
    if (proposed.size() > platform::kLongestPath) return {platform::NameFault::Kind::PathTooLong};
    return {};
}

RunPlanner::RunPlanner(const std::vector<PlanEntry>& plan, Assumes assumes) : assumes_(assumes) {
    for (const PlanEntry& entry : plan) {
        holding_.addParentsOf(entry.current);
        learnRulesOf(entry.current);
    }
}

RunPlanner::RunPlanner(const std::vector<ListEntry>& entries) : assumes_(Assumes::EarlierStay) {
    for (const ListEntry& entry : entries) {
        holding_.addParentsOf(entry.current);
        learnRulesOf(entry.current);
    }
}

void RunPlanner::learnRulesOf(std::string_view path) {
    const std::string_view folder = FolderPart(path);
    if (folder == lastRulesFolder_ && !rules_.empty()) return;
    lastRulesFolder_.assign(folder);
    const auto known = rules_.find(folder);
    lastRules_ =
        known != rules_.end()
            ? known->second
            : rules_.emplace(lastRulesFolder_, platform::NameRulesOf(lastRulesFolder_)).first->second;
}

platform::NameRules RunPlanner::rulesOf(std::string_view folder) const {
    if (folder == lastRulesFolder_) return lastRules_;
    const auto known = rules_.find(folder);
    lastRulesFolder_.assign(folder);
    lastRules_ = known != rules_.end() ? known->second : platform::NameRules::Posix;
    return lastRules_;
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
    decision.refused = {};
    // Renames stay within their folder, so the folder the entry was listed in tells the rules.
    if (!decision.unchanged())
        decision.refused = Refusal(decision.from, decision.to, rulesOf(FolderPart(current)));
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
