// A run over the list on real folders, and the journal it leaves.
#include "run/rename_run.h"

#include <cerrno>

#include <gtest/gtest.h>
#include <sys/mount.h>

#include "platform/state_files.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using Map = std::map<std::string, std::string>;

JournalContents ReadJournal(const std::string& path) {
    std::string bytes;
    int error = 0;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes, error)) << path;
    return ParseJournal(bytes);
}

class RenameRunTest : public SessionTest {};

// A listener as the window is one: its list changes only between two takes
// of outcomes (in `atFrame`), while the run renames ahead of it.
class AheadListener : public RunListener {
public:
    explicit AheadListener(std::vector<ListEntry>& live) : live_(live) {}
    std::int64_t entryCount() override { return static_cast<std::int64_t>(live_.size()); }
    const ListEntry* entryAt(std::int64_t index) override { return &live_[static_cast<size_t>(index)]; }
    bool entriesMayDiffer() override { return changed; }
    void listFollowed() override { changed = false; }
    void entryDone(std::int64_t index, const EntryOutcome& outcome) override {
        indexes.push_back(index);
        outcomes.push_back(outcome);
    }
    void outcomesTaken() override {
        if (atFrame && !indexes.empty()) atFrame(indexes.back());
    }

    bool changed = false;
    std::function<void(std::int64_t)> atFrame;
    std::vector<std::int64_t> indexes;
    std::vector<EntryOutcome> outcomes;

private:
    std::vector<ListEntry>& live_;
};

std::string Numbered(const std::string& stem, int i) { return stem + std::to_string(i); }

// The finished run is kept for undo, with what each entry became, beside
// the run before it.
TEST_F(RenameRunTest, KeepsTheJournalOfTheLastFinishedRun) {
    makeTree({"a", "b", "taken", "Dir/", "Dir/x"});
    run(entries({{"a", "a1"}}));
    const auto first = LastFinishedJournal(journals());
    ASSERT_TRUE(first);

    const std::vector<EntryOutcome> outcomes =
        run(entries({{"a1", "a1"}, {"b", "taken"}, {"Dir", "dir"}, {"Dir/x", "Dir/y"}}));

    EXPECT_EQ(tree(),
              (Map{{"a1", "<a>"}, {"b", "<b>"}, {"taken", "<taken>"}, {"dir/", "/"}, {"dir/y", "<Dir/x>"}}));
    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(outcomes[0].outcome, Outcome::Unchanged);
    EXPECT_EQ(outcomes[1].outcome, Outcome::Failed);
    EXPECT_EQ(outcomes[2].outcome, Outcome::Renamed);
    EXPECT_EQ(outcomes[3].outcome, Outcome::Renamed);
    // The folder's rename moved its contents: the rename happened inside the new folder.
    EXPECT_EQ(outcomes[3].from, at("dir/x"));
    EXPECT_EQ(outcomes[3].to, at("dir/y"));

    const auto last = LastFinishedJournal(journals());
    ASSERT_TRUE(last);
    EXPECT_NE(*last, *first);
    EXPECT_EQ(journalFiles(), (std::vector<std::string>{".done", ".done"}));
    const JournalContents journal = ReadJournal(*last);
    EXPECT_TRUE(journal.finished);
    const std::vector<RenamedEntry> renamed = RenamedEntries(journal);
    ASSERT_EQ(renamed.size(), 2u);
    EXPECT_EQ(renamed[0].from, at("Dir"));
    EXPECT_EQ(renamed[0].to, at("dir"));
    EXPECT_EQ(renamed[1].from, at("dir/x"));
    EXPECT_EQ(renamed[1].to, at("dir/y"));
}

// Nothing renamed, nothing to undo: the run leaves no journal, and the last
// run that renamed something stays the one undo takes back.
TEST_F(RenameRunTest, ARunThatRenamesNothingLeavesNoJournal) {
    makeTree({"a", "b"});
    run(entries({{"a", "a1"}}));
    const auto kept = LastFinishedJournal(journals());

    RunEnd end;
    run(entries({{"a1", "a1"}, {"b", "a1"}}), &end);

    EXPECT_EQ(end.renamed, 0);
    EXPECT_EQ(end.error, 0);
    EXPECT_EQ(LastFinishedJournal(journals()), kept);
    EXPECT_EQ(journalFiles(), std::vector<std::string>{".done"});
}

// The options changed while the run went on: the entries that follow are
// renamed as the list now says, and the journal knows it before they are.
TEST_F(RenameRunTest, FollowsTheListWhenItChangesDuringTheRun) {
    makeTree({"a", "b", "c"});
    std::vector<ListEntry> list = entries({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}});
    RenameRun renameRun(journals(), 0);
    ASSERT_TRUE(renameRun.beginListRun(list));
    Collector collector;
    collector.live = &list;
    collector.afterEntry = [&](std::int64_t index) {
        if (index == 0) {
            list[1].proposed = at("b2");
            list[2].proposed = at("c2");
        }
    };
    renameRun.execute(collector);
    const auto finished = LastFinishedJournal(journals());
    ASSERT_TRUE(finished);
    EXPECT_EQ(ReadJournal(*finished).plan[2].proposed, at("c2"));

    EXPECT_EQ(tree(), (Map{{"a1", "<a>"}, {"b2", "<b>"}, {"c2", "<c>"}}));
}

// The same ahead of the listener, with frames of a millisecond: the options
// change at the first frame, and from the first entry the run had not begun
// then, every entry is renamed as the list now says, in the journal first.
// Every outcome comes to the listener once, in order, with where its item went.
TEST_F(RenameRunTest, RenamingAheadFollowsAListChangedAtAFrame) {
    constexpr int kCount = 3000;
    std::vector<ListEntry> list;
    for (int i = 0; i < kCount; ++i) {
        WriteFile(at(Numbered("f", i)), Numbered("<f", i) + ">");
        list.push_back(ListEntry{at(Numbered("f", i)), at(Numbered("a", i))});
    }
    RenameRun renameRun(journals(), 1);
    ASSERT_TRUE(renameRun.beginListRun(list));
    AheadListener listener(list);
    std::int64_t changedAt = -1;
    listener.atFrame = [&](std::int64_t index) {
        if (changedAt >= 0 || index >= kCount - 1000) return;
        changedAt = index;
        for (int j = static_cast<int>(index) + 1; j < kCount; ++j) list[j].proposed = at(Numbered("b", j));
        listener.changed = true;
    };
    renameRun.execute(listener);
    const auto finished = LastFinishedJournal(journals());
    ASSERT_TRUE(finished);
    const JournalContents journal = ReadJournal(*finished);

    ASSERT_GE(changedAt, 0) << "no frame came early enough";
    ASSERT_EQ(listener.outcomes.size(), static_cast<size_t>(kCount));
    int firstFollowing = kCount;
    for (int i = 0; i < kCount; ++i) {
        if (std::filesystem::exists(at(Numbered("b", i)))) {
            firstFollowing = i;
            break;
        }
    }
    EXPECT_GT(firstFollowing, changedAt);
    EXPECT_LT(firstFollowing, kCount);
    for (int i = 0; i < kCount; ++i) {
        const std::string name = Numbered(i < firstFollowing ? "a" : "b", i);
        ASSERT_EQ(ReadFile(at(name)), Numbered("<f", i) + ">") << i;
        ASSERT_EQ(listener.indexes[static_cast<size_t>(i)], i);
        ASSERT_EQ(listener.outcomes[static_cast<size_t>(i)].outcome, Outcome::Renamed) << i;
        ASSERT_EQ(listener.outcomes[static_cast<size_t>(i)].to, at(name)) << i;
        ASSERT_EQ(journal.plan[static_cast<size_t>(i)].proposed, at(name)) << i;
    }
    EXPECT_EQ(tree().size(), static_cast<size_t>(kCount));
}

// The listener gives up halfway (its handler throws): the run's own thread
// stops, the exception reaches the caller, every item is under one name, and
// the journal stays for the next start to settle unless the run had ended first.
TEST_F(RenameRunTest, AListenerThatThrowsEndsARunAhead) {
    std::vector<ListEntry> list;
    for (int i = 0; i < 200; ++i) {
        WriteFile(at(Numbered("f", i)), Numbered("<f", i) + ">");
        list.push_back(ListEntry{at(Numbered("f", i)), at(Numbered("a", i))});
    }
    struct GaveUp {};
    // Throws at entry 10, a frame's or not.
    struct Thrower : RunListener {
        void entryDone(std::int64_t index, const EntryOutcome&) override {
            if (index == 10) throw GaveUp{};
        }
    };
    for (const int frame : {0, 16}) {
        SCOPED_TRACE(frame);
        std::filesystem::remove_all(journals());
        {
            RenameRun renameRun(journals(), frame);
            ASSERT_TRUE(renameRun.beginListRun(list));
            Thrower thrower;
            EXPECT_THROW(renameRun.execute(thrower), GaveUp);
        }

        std::map<std::string, int> names;
        for (const auto& [name, content] : tree()) ++names[content];
        EXPECT_EQ(names.size(), 200u);
        for (const auto& [content, count] : names) EXPECT_EQ(count, 1) << content;
        // Renaming ahead, the run may have recorded its end before the
        // listener gave up; otherwise its journal waits for the next start.
        EXPECT_EQ(UnfinishedJournals(journals()).size() + (frame == 0 ? 0 : UndoAvailable(journals())), 1u);
        EXPECT_TRUE(recover(false).empty());
        EXPECT_TRUE(UnfinishedJournals(journals()).empty());
        // The next round starts from wherever each item is now.
        for (ListEntry& entry : list) {
            if (!std::filesystem::exists(entry.current)) std::swap(entry.current, entry.proposed);
        }
    }
}

// A plan far larger than one write of the journal reads back whole, in order.
TEST_F(RenameRunTest, ALongPlanIsWrittenWhole) {
    std::vector<ListEntry> list;
    for (int i = 0; i < 20000; ++i) {
        // Names that share no start with the one before, so each costs its whole length.
        const std::string name = std::to_string((i * 7919) % 20011) + std::string(60, 'n');
        list.push_back(ListEntry{at(name), at(name + ".new")});
    }
    RenameRun renameRun(journals());
    ASSERT_TRUE(renameRun.beginListRun(list));

    const JournalContents contents = ReadJournal(renameRun.journalPath());
    EXPECT_GT(std::filesystem::file_size(renameRun.journalPath()), 1024u * 1024u);
    EXPECT_TRUE(contents.planComplete);
    ASSERT_EQ(contents.plan.size(), list.size());
    for (const size_t i : {size_t{0}, size_t{4095}, size_t{4096}, size_t{19999}}) {
        EXPECT_EQ(contents.plan[i].current, list[i].current) << i;
        EXPECT_EQ(contents.plan[i].proposed, list[i].proposed) << i;
    }
}

// Where no journal can be written, nothing is renamed.
TEST_F(RenameRunTest, RenamesNothingWithoutAJournal) {
    makeTree({"a"});
    ASSERT_TRUE(WriteFile(temp_ / "state", "a file where the state folder would be"));
    RenameRun renameRun(journals());
    EXPECT_FALSE(renameRun.beginListRun(entries({{"a", "b"}})));
    EXPECT_EQ(renameRun.error(), ENOTDIR);
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}}));

    RenameRun nowhere("");
    EXPECT_FALSE(nowhere.beginListRun(entries({{"a", "b"}})));
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}}));
}

// A full disk: the plan does not fit, and no half journal is left behind.
TEST_F(RenameRunTest, RenamesNothingWhenTheJournalDoesNotFit) {
    makeTree({"a"});
    const std::string state = temp_ / "full";
    std::filesystem::create_directories(state);
    if (geteuid() != 0 || mount("tmpfs", state.c_str(), "tmpfs", 0, "size=64k") != 0) {
        GTEST_SKIP() << "a small file system needs root to mount";
    }
    // Fill it up.
    for (int i = 0; WriteFile(state + "/filler" + std::to_string(i), std::string(4096, 'x')) && i < 100;
         ++i) {
    }
    std::vector<std::pair<std::string, std::string>> many;
    for (int i = 0; i < 2000; ++i) many.emplace_back("a", "b" + std::string(100, 'x') + std::to_string(i));

    RenameRun renameRun(state + "/Kestrix/");
    const bool began = renameRun.beginListRun(entries(many));
    const int error = renameRun.error();
    const std::vector<std::string> left = platform::FileNamesIn(state + "/Kestrix/");
    umount(state.c_str());

    EXPECT_FALSE(began);
    EXPECT_EQ(error, ENOSPC);
    EXPECT_TRUE(left.empty());
    EXPECT_EQ(tree(), (Map{{"a", "<a>"}}));
}

}  // namespace
}  // namespace kestrix::run::testing
