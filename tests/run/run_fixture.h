#pragma once

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/list_entry.h"
#include "run/recovery.h"
#include "run/rename_run.h"
#include "test_support.h"

namespace kestrix::run::testing {

using platform::testing::ReadFile;
using platform::testing::WriteFile;

// Records what happens to each entry of a run; `live`, when set, stands for
// the list the run follows.
class Collector : public RunListener {
public:
    bool entriesMayDiffer() override { return live != nullptr; }
    std::int64_t entryCount() override { return live ? static_cast<std::int64_t>(live->size()) : -1; }
    const ListEntry* entryAt(std::int64_t index) override {
        return live ? &(*live)[static_cast<size_t>(index)] : nullptr;
    }
    void entryDone(std::int64_t index, const EntryOutcome& outcome) override {
        outcomes.push_back(outcome);
        if (afterEntry) afterEntry(index);
    }

    std::vector<ListEntry>* live = nullptr;
    std::function<void(std::int64_t)> afterEntry;
    std::vector<EntryOutcome> outcomes;
};

// Files and folders under `root`: relative paths, folders ending with '/'.
// Every file holds its own content ("<path it was made at>"), so the map of
// contents to names afterwards shows whether anything was lost, doubled or
// overwritten.
inline void MakeTree(const std::string& root, const std::vector<std::string>& items) {
    for (const std::string& item : items) {
        if (item.back() == '/') {
            std::filesystem::create_directories(root + "/" + item);
        } else {
            WriteFile(root + "/" + item, "<" + item + ">");
        }
    }
}

// Relative path -> content for files, "/" for folders.
inline std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> items;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = item.path().native().substr(root.size() + 1);
        if (item.is_directory() && !item.is_symlink()) {
            items[relative + "/"].assign(1, '/');
        } else {
            items[relative] = ReadFile(item.path().native());
        }
    }
    return items;
}

// A test with a folder of files and a journal folder of its own.
class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(files()); }

    std::string files() const { return temp_ / "files"; }
    std::string journals() const { return temp_ / "state/Kestrix/"; }
    std::string at(const std::string& relative) const { return files() + "/" + relative; }
    void makeTree(const std::vector<std::string>& items) { MakeTree(files(), items); }
    std::map<std::string, std::string> tree() const { return Tree(files()); }

    std::vector<ListEntry> entries(const std::vector<std::pair<std::string, std::string>>& pairs) const {
        std::vector<ListEntry> list;
        for (const auto& [from, to] : pairs) list.push_back(ListEntry{at(from), at(to)});
        return list;
    }

    // A run over `list`, from beginning to end; the outcomes of its entries.
    std::vector<EntryOutcome> run(const std::vector<ListEntry>& list, RunEnd* end = nullptr) {
        RenameRun renameRun(journals(), frame_);
        EXPECT_TRUE(renameRun.beginListRun(list)) << renameRun.error();
        Collector collector;
        const RunEnd ended = renameRun.execute(collector);
        if (end) *end = ended;
        return collector.outcomes;
    }

    std::vector<EntryOutcome> undo() {
        RenameRun undoRun(journals(), frame_);
        EXPECT_TRUE(undoRun.beginUndoOfLastRun()) << undoRun.error();
        Collector collector;
        undoRun.execute(collector);
        return collector.outcomes;
    }

    // Settles every interrupted run, taking it back or keeping it; what could
    // not be settled. `asked` tells whether any run left a choice to make.
    std::vector<SettleProblem> recover(bool takeBack, bool* asked = nullptr) {
        std::vector<SettleProblem> problems;
        if (asked) *asked = false;
        for (const std::string& journal : UnfinishedJournals(journals())) {
            Recovery recovery(journals());
            if (!recovery.open(journal)) continue;
            if (asked && recovery.needsChoice()) *asked = true;
            const Recovery::Choice choice = !recovery.needsChoice() ? Recovery::Choice::None
                                            : takeBack              ? Recovery::Choice::TakeBack
                                                                    : Recovery::Choice::Keep;
            for (SettleProblem& problem : recovery.settle(choice)) problems.push_back(std::move(problem));
        }
        return problems;
    }

    std::vector<std::string> journalFiles() const {
        std::vector<std::string> names;
        if (!std::filesystem::exists(journals())) return names;
        for (const auto& item : std::filesystem::directory_iterator(journals()))
            names.push_back(item.path().filename().extension().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    platform::testing::TempFolder temp_;
    // The frames run() and undo() take their outcomes at: 0 takes each as it comes.
    int frame_ = 16;
};

}  // namespace kestrix::run::testing
