// Undo, taking back a run cut off, and finishing an undo cut off move only
// the items the run renamed: an item that took a renamed item's place since
// (deleted and made anew, replaced by another of equal size and time), one
// the user renamed by hand, and one that took an old name back all stay
// where they are, on ext4 (which hands a deleted item's inode number to the
// next new one) and on exFAT through FUSE (which numbers items as they are
// looked up).
#include <filesystem>
#include <iostream>
#include <map>
#include <set>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "crash_child.h"
#include "exfat_volume.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using Map = std::map<std::string, std::string>;

enum class Action { Undo, TakeBackAfterCrash, FinishCutUndo };

const char* Label(Action action) {
    switch (action) {
        case Action::Undo:
            return "undo";
        case Action::TakeBackAfterCrash:
            return "take-back after a crash";
        case Action::FinishCutUndo:
            return "finishing an undo cut off";
    }
    return "";
}

// What another program (or the user) does to the renamed item at `renamed`
// (relative), whose old name was `old`, before the undo or the next start.
struct Tamper {
    const char* label;
    const char* renamed;
    const char* old;
    void (*act)(const std::string& root, const std::string& renamed, const std::string& old);
};

void Recreate(const std::string& root, const std::string& renamed, const std::string&) {
    std::filesystem::remove(root + "/" + renamed);
    ASSERT_TRUE(WriteFile(root + "/" + renamed, "<foreign>"));
}

void RecreateFolder(const std::string& root, const std::string& renamed, const std::string&) {
    std::filesystem::remove_all(root + "/" + renamed);
    std::filesystem::create_directory(root + "/" + renamed);
    ASSERT_TRUE(WriteFile(root + "/" + renamed + "/inside", "<foreign folder>"));
}

// Another file of the same size and modification time, put in its place in one rename.
void ReplaceAlike(const std::string& root, const std::string& renamed, const std::string&) {
    const std::string path = root + "/" + renamed;
    const std::string other = root + "/other";
    const std::string content = ReadFile(path);
    std::string alike = content;
    for (char& c : alike) c = c == 'x' ? 'y' : 'x';
    ASSERT_TRUE(WriteFile(other, alike));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
}

void RenameByHand(const std::string& root, const std::string& renamed, const std::string&) {
    ASSERT_EQ(std::rename((root + "/" + renamed).c_str(), (root + "/by hand").c_str()), 0);
}

void RetakeOldName(const std::string& root, const std::string&, const std::string& old) {
    ASSERT_TRUE(WriteFile(root + "/" + old, "<foreign>"));
}

const Tamper kTampers[] = {
    {"file deleted and made anew under the new name", "a1", "a", Recreate},
    {"folder deleted and made anew under the new name", "D1", "D", RecreateFolder},
    {"file replaced by another of equal size and time", "a1", "a", ReplaceAlike},
    {"renamed by hand", "a1", "a", RenameByHand},
    {"old name taken again", "a1", "a", RetakeOldName},
};

// The run: a file, a folder with a file inside, and another file, whose undo
// takes back b1 first, then D1, then a1.
const std::vector<std::string> kTree = {"a", "D/", "D/in", "b"};
const std::vector<std::pair<std::string, std::string>> kEntries = {{"a", "a1"}, {"D", "D1"}, {"b", "b1"}};

struct Figures {
    int cases = 0;
    int foreignMoved = 0;
};

class ForeignItemsTest : public SessionTest {
protected:
    // Runs the table on the files under `root`; a case's tampering comes
    // after the run, or after the crash that cut it off.
    void runTable(const std::string& root, const char* fileSystem) {
        Figures figures;
        for (const Action action : {Action::Undo, Action::TakeBackAfterCrash, Action::FinishCutUndo}) {
            for (const Tamper& tamper : kTampers) {
                SCOPED_TRACE(std::string(fileSystem) + ", " + Label(action) + ", " + tamper.label);
                std::filesystem::remove_all(root);
                std::filesystem::remove_all(journals());
                std::filesystem::create_directories(root);
                MakeTree(root, kTree);
                std::vector<ListEntry> list;
                for (const auto& [from, to] : kEntries)
                    list.push_back(ListEntry{root + "/" + from, root + "/" + to});
                const auto renamedAll = [&] {
                    for (const auto& entry : list) {
                        if (!std::filesystem::exists(entry.proposed)) return false;
                    }
                    return true;
                };
                if (action == Action::TakeBackAfterCrash) {
                    // Cut right after the last rename, before the run's end is recorded.
                    ASSERT_TRUE(kestrix::testing::RunKilledWhen(renamedAll, [&] { run(list); }));
                } else {
                    run(list);
                }
                if (action == Action::FinishCutUndo) {
                    // Cut once the undo has taken b1 back (not at a placeholder it reserved).
                    ASSERT_TRUE(kestrix::testing::RunKilledWhen(
                        [&] {
                            return std::filesystem::exists(root + "/b") && ReadFile(root + "/b") == "<b>";
                        },
                        [&] { undo(); }));
                }
                ASSERT_TRUE(HasHappened(root, tamper));
                tamper.act(root, tamper.renamed, tamper.old);
                const Map before = Tree(root);

                if (action == Action::Undo) {
                    undo();
                } else {
                    recover(true);
                }

                const Map after = Tree(root);
                ++figures.cases;
                const int moved = ForeignMoved(before, after, tamper);
                figures.foreignMoved += moved;
                EXPECT_EQ(moved, 0);
                // The run's other items went back.
                EXPECT_EQ(after.count("b"), 1u);
                if (std::string(tamper.renamed) != "D1") EXPECT_EQ(after.count("D/in"), 1u);
                EXPECT_TRUE(UnfinishedJournals(journals()).empty());
            }
        }
        std::cout << fileSystem << ", items the run did not rename: " << figures.cases << " cases, "
                  << figures.foreignMoved << " foreign items moved\n";
    }

    static bool HasHappened(const std::string& root, const Tamper& tamper) {
        return std::filesystem::exists(root + "/" + tamper.renamed);
    }

    // How many items the undo or the settling must not move did move: every
    // item another program made, and the run's item the user renamed by hand.
    static int ForeignMoved(const Map& before, const Map& after, const Tamper& tamper) {
        int moved = 0;
        for (const auto& [path, content] : before) {
            const bool foreign = content.find("foreign") != std::string::npos || path == "by hand" ||
                                 (tamper.act == ReplaceAlike && path == tamper.renamed);
            if (!foreign) continue;
            const auto now = after.find(path);
            if (now == after.end() || now->second != content) ++moved;
        }
        return moved;
    }
};

TEST_F(ForeignItemsTest, OnlyTheRunsOwnItemsMoveOnExt4) { runTable(files(), "ext4"); }

class ExfatForeignItemsTest : public ForeignItemsTest {
protected:
    void SetUp() override {
        ForeignItemsTest::SetUp();
        const std::string reason = volume_.mount();
        if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    }
    void TearDown() override {
        if (!volume_.unmount()) ADD_FAILURE() << "could not unmount " << volume_.root();
    }

    kestrix::testing::ExfatMount volume_;
};

TEST_F(ExfatForeignItemsTest, OnlyTheRunsOwnItemsMoveOnExfat) {
    runTable(volume_.root() + "/files", "exFAT");
}

// Another program put a new item under one renamed name since, in a folder
// of 2 items (whose identities the run read item by item) and of 20 (read
// from the folder's listing): undo leaves it, and takes back the others.
TEST_F(ForeignItemsTest, UndoSkipsAnItemPutUnderARenamedNameSince) {
    for (const int count : {2, 20}) {
        SCOPED_TRACE(std::to_string(count) + " items");
        std::filesystem::remove_all(files());
        std::filesystem::remove_all(journals());
        std::filesystem::create_directories(files());
        std::vector<std::pair<std::string, std::string>> pairs;
        for (int i = 0; i < count; ++i) {
            const std::string name = "f" + std::to_string(10 + i);
            makeTree({name});
            pairs.emplace_back(name, name + ".new");
        }
        run(entries(pairs));
        // Deleted and made anew at once: ext4 tends to give it the same inode number.
        std::filesystem::remove(at("f10.new"));
        ASSERT_TRUE(WriteFile(at("f10.new"), "<foreign>"));

        const std::vector<EntryOutcome> outcomes = undo();

        const Map after = tree();
        EXPECT_EQ(after.count("f10.new") ? after.at("f10.new") : "(none)", "<foreign>");
        EXPECT_EQ(after.count("f10"), 0u);
        for (int i = 1; i < count; ++i) EXPECT_EQ(after.count("f" + std::to_string(10 + i)), 1u);
        int skipped = 0;
        for (const EntryOutcome& outcome : outcomes) {
            if (outcome.outcome != Outcome::Failed) continue;
            ++skipped;
            EXPECT_EQ(outcome.failure.kind, RunFailure::Kind::ReplacedSince);
        }
        EXPECT_EQ(skipped, 1);
    }
}

}  // namespace
}  // namespace kestrix::run::testing
