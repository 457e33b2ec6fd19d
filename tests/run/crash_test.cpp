// A run cut off at every step, and at random moments, then the next start's
// recovery with either choice. Afterwards: no temporary names, no second
// links, every content under exactly one name, each item under its old or
// its new name (all under the old after taking the run back).
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "crash_child.h"
#include "exfat_volume.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

using platform::RenameWays;
using Pairs = std::vector<std::pair<std::string, std::string>>;

enum class Expect { OldOrNew, Old, New };

struct Figures {
    int kills = 0;
    long items = 0;
    int temporaries = 0;
    int secondLinks = 0;
    int problems = 0;
};

// What the files under `root` say about a run over `entries` (relative
// paths) of the files made by MakeTree from `items`.
std::vector<std::string> Check(const std::string& root, const std::vector<std::string>& items,
                               const Pairs& entries, Expect expect, Figures& figures) {
    std::vector<std::string> faults;
    std::map<std::string, std::string> newNames;  // original path -> new last part
    for (const auto& [from, to] : entries) newNames[from] = to.substr(to.rfind('/') + 1);

    std::map<std::string, std::vector<std::string>> where;  // content -> paths
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = item.path().native().substr(root.size() + 1);
        if (item.path().filename().native().rfind(".kestrix-", 0) == 0) {
            ++figures.temporaries;
            faults.push_back("intermediate left: " + relative);
        }
        struct stat st;
        if (lstat(item.path().c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        if (st.st_nlink > 1) {
            ++figures.secondLinks;
            faults.push_back("second link: " + relative);
        }
        where[ReadFile(item.path().native())].push_back(relative);
    }

    for (const std::string& file : items) {
        if (file.back() == '/') continue;
        ++figures.items;
        const auto found = where.find("<" + file + ">");
        if (found == where.end() || found->second.size() != 1) {
            faults.push_back(file + " is under " +
                             std::to_string(found == where.end() ? 0 : found->second.size()) + " names");
            continue;
        }
        // Each part of the path is its old name, or the new one where an entry renames it.
        std::set<std::string> allowed{""};
        std::string oldPath, newPath, prefix;
        for (size_t start = 0; start <= file.size();) {
            const size_t slash = std::min(file.find('/', start), file.size());
            const std::string part = file.substr(start, slash - start);
            prefix += (prefix.empty() ? "" : "/") + part;
            const auto renamed = newNames.find(prefix);
            std::set<std::string> longer;
            for (const std::string& path : allowed) {
                const std::string head = path.empty() ? path : path + "/";
                if (expect != Expect::New) longer.insert(head + part);
                if (expect != Expect::Old)
                    longer.insert(head + (renamed != newNames.end() ? renamed->second : part));
            }
            allowed.swap(longer);
            start = slash + 1;
        }
        if (!allowed.count(found->second.front())) faults.push_back(file + " is at " + found->second.front());
        where.erase(found);
    }
    for (const auto& [content, paths] : where)
        faults.push_back("unexpected content \"" + content + "\" at " + paths.front());
    return faults;
}

struct Scenario {
    const char* label;
    RenameWays ways;
    std::vector<std::string> tree;
    Pairs entries;
    bool undo;  // cut off the undo of a finished run over the entries instead
};

// 10,000 files in 10 folders; the folders change case first, then every
// file: every other one only in letter case, the rest to a new name.
struct Workload {
    std::vector<std::string> tree;
    Pairs entries;
};

Workload TenThousandPhotos() {
    Workload w;
    const std::string digits = "0123456789";
    for (const char f : digits) {
        w.tree.push_back(std::string{'F', f, '/'});
        w.entries.emplace_back(std::string{'F', f}, std::string{'f', f});
    }
    for (int n = 0; n < 10'000; ++n) {
        const std::string folder{'F', digits[static_cast<size_t>(n % 10)], '/'};
        const std::string number = std::to_string(10000 + n);
        w.tree.push_back(folder + std::string("IMG_").append(number).append(".JPG"));
        const std::string renamed = (n % 2 ? std::string("img_").append(number).append(".jpg")
                                           : std::string("photo ").append(number).append(".jpg"));
        w.entries.emplace_back(w.tree.back(), folder + renamed);
    }
    return w;
}

class CrashTest : public SessionTest {
protected:
    void TearDown() override { platform::resetRenameWays(); }

    void fresh(const std::string& root, const std::vector<std::string>& items) {
        std::filesystem::remove_all(root);
        std::filesystem::remove_all(journals());
        std::filesystem::create_directories(root);
        MakeTree(root, items);
    }

    std::vector<ListEntry> listAt(const std::string& root, const Pairs& pairs) const {
        std::vector<ListEntry> list;
        for (const auto& [from, to] : pairs) list.push_back(ListEntry{root + "/" + from, root + "/" + to});
        return list;
    }

    // Cuts the scenario's run off after every one of its steps in turn; each
    // time the next start takes it back, and (from the same instant) keeps it.
    void cutAtEveryStep(const std::string& root, const Scenario& s, Figures& figures) {
        platform::renameWays() = s.ways;
        const std::vector<ListEntry> list = listAt(root, s.entries);
        for (long step = 1;; ++step) {
            for (const bool takeBack : {true, false}) {
                SCOPED_TRACE(std::string(s.label) + ", cut after step " + std::to_string(step) +
                             (takeBack ? ", taken back" : ", kept"));
                fresh(root, s.tree);
                if (s.undo) run(list);
                const bool killed = kestrix::testing::RunKilledAtStep(step, [&] {
                    if (s.undo) {
                        undo();
                    } else {
                        run(list);
                    }
                });
                if (!killed) {
                    ASSERT_GT(step, 5) << "the run took too few steps to be cut anywhere";
                    return;
                }
                settleAndCheck(root, s.tree, s.entries, takeBack, s.undo, figures);
            }
        }
    }

    void settleAndCheck(const std::string& root, const std::vector<std::string>& items, const Pairs& entries,
                        bool takeBack, bool undoRun, Figures& figures) {
        ++figures.kills;
        bool asked = false;
        const std::vector<SettleProblem> problems = recover(takeBack, &asked);
        figures.problems += static_cast<int>(problems.size());
        for (const SettleProblem& problem : problems) ADD_FAILURE() << problem.path << ": " << problem.reason;
        const std::vector<std::string> left = journalFiles();
        EXPECT_EQ(std::count(left.begin(), left.end(), ".journal"), 0);
        // Taking back an interrupted undo finishes it. Without a choice to
        // make (the cut came before the first rename or after the end was
        // recorded) nothing is taken back.
        (void)undoRun;
        const Expect expect = !takeBack || !asked ? Expect::OldOrNew : Expect::Old;
        for (const std::string& fault : Check(root, items, entries, expect, figures)) ADD_FAILURE() << fault;
        expectNothingLeftToSettle();
    }

    // A second start finds nothing to settle.
    void expectNothingLeftToSettle() {
        bool asked = false;
        EXPECT_TRUE(recover(true, &asked).empty());
        EXPECT_FALSE(asked);
        EXPECT_TRUE(UnfinishedJournals(journals()).empty());
    }

    // Whether a start now would ask what to do with an interrupted run.
    bool choiceAwaits() {
        for (const std::string& journal : UnfinishedJournals(journals())) {
            Recovery recovery(journals());
            if (recovery.open(journal) && recovery.needsChoice()) return true;
        }
        return false;
    }

    // The scenario's run (or undo) cut after each of `runCuts` steps; each
    // time the next start's settling (taking back, and keeping) is cut after
    // every one of its own steps in turn, and a start after that settles the
    // rest. Afterwards every item is under one name, taken back where that was
    // chosen; a kept run is then taken back whole by undo.
    void cutSettlingAtEveryStep(const std::string& root, const Scenario& s, const std::vector<long>& runCuts,
                                Figures& figures) {
        platform::renameWays() = s.ways;
        const std::vector<ListEntry> list = listAt(root, s.entries);
        for (const long runCut : runCuts) {
            for (const bool takeBack : {true, false}) {
                for (long step = 1;; ++step) {
                    SCOPED_TRACE(std::string(s.label) + ", run cut after step " + std::to_string(runCut) +
                                 ", settling " + (takeBack ? "(taking back)" : "(keeping)") +
                                 " cut after step " + std::to_string(step));
                    fresh(root, s.tree);
                    if (s.undo) run(list);
                    const bool runKilled = kestrix::testing::RunKilledAtStep(runCut, [&] {
                        if (s.undo) {
                            undo();
                        } else {
                            run(list);
                        }
                    });
                    if (!runKilled) break;  // the run ends before that step
                    const bool choice = choiceAwaits();
                    const bool killed = kestrix::testing::RunKilledAtStep(step, [&] { recover(takeBack); });
                    if (!killed) break;
                    ++figures.kills;
                    const std::vector<SettleProblem> problems = recover(takeBack);
                    figures.problems += static_cast<int>(problems.size());
                    for (const SettleProblem& problem : problems)
                        ADD_FAILURE() << problem.path << ": " << problem.reason;
                    const Expect expect = choice && takeBack ? Expect::Old : Expect::OldOrNew;
                    for (const std::string& fault : Check(root, s.tree, s.entries, expect, figures))
                        ADD_FAILURE() << fault;
                    expectNothingLeftToSettle();
                    if (!takeBack && UndoAvailable(journals())) {
                        undo();
                        for (const std::string& fault : Check(root, s.tree, s.entries, Expect::Old, figures))
                            ADD_FAILURE() << "after undo: " << fault;
                    }
                }
            }
        }
    }

    // Kills at random moments of a run of 10,000 renames; the ways of renaming
    // alternate between kills when `ways` holds more than one, and outcomes
    // taken as they come with outcomes taken once a frame, two kills each.
    void cutAtRandom(const std::string& root, const std::vector<RenameWays>& ways, int kills,
                     const char* label) {
        const Workload w = TenThousandPhotos();
        std::mt19937 random(20240612);
        Figures figures;
        int finished = 0;
        for (int i = 0; i < kills; ++i) {
            const RenameWays& way = ways[static_cast<size_t>(i) % ways.size()];
            const bool takeBack = (static_cast<size_t>(i) / ways.size()) % 2 == 0;
            frame_ = (static_cast<size_t>(i) / ways.size() / 2) % 2 == 1 ? 16 : 0;
            SCOPED_TRACE(std::string(label) + ", kill " + std::to_string(i) + ", frames of " +
                         std::to_string(frame_) + " ms");
            platform::renameWays() = way;
            fresh(root, w.tree);
            const std::vector<ListEntry> list = listAt(root, w.entries);
            // A whole run, timed, sets the range of the moments.
            static std::map<std::string, std::chrono::microseconds> wholeRun;
            const std::string key =
                std::string(label) + std::to_string(i % ways.size()) + "/" + std::to_string(frame_);
            if (!wholeRun.count(key)) {
                const auto start = std::chrono::steady_clock::now();
                kestrix::testing::RunKilledAtStep(1L << 40, [&] { run(list); });
                wholeRun[key] = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start);
                fresh(root, w.tree);
            }
            std::uniform_int_distribution<long> moment(0, wholeRun[key].count() * 9 / 10);
            if (!kestrix::testing::RunKilledAfter(std::chrono::microseconds(moment(random)),
                                                  [&] { run(list); })) {
                ++finished;
            }
            settleAndCheck(root, w.tree, w.entries, takeBack, false, figures);
        }
        platform::resetRenameWays();
        figures.kills -= finished;
        std::cout << label << ", random moments of 10,000 renames: " << figures.kills << " kills ("
                  << finished << " runs finished first), " << figures.items << " items checked, "
                  << figures.temporaries << " temporaries left, " << figures.secondLinks
                  << " second links left\n";
    }

    void cutTakeBackAtRandom(const std::string& root, int kills, const char* label) {
        const Workload w = TenThousandPhotos();
        std::mt19937 random(20261211);
        Figures figures;
        int runsFinished = 0, takeBacksFinished = 0;
        const std::vector<ListEntry> list = listAt(root, w.entries);
        std::chrono::microseconds wholeRun{0}, wholeTakeBack{0};
        for (int i = 0; i < kills; ++i) {
            SCOPED_TRACE(std::string(label) + ", take-back kill " + std::to_string(i));
            fresh(root, w.tree);
            if (wholeRun.count() == 0) {
                // A whole run, then a whole take-back of most of it, timed, set the ranges.
                auto start = std::chrono::steady_clock::now();
                kestrix::testing::RunKilledAtStep(1L << 40, [&] { run(list); });
                wholeRun = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start);
                fresh(root, w.tree);
                kestrix::testing::RunKilledAfter(wholeRun * 9 / 10, [&] { run(list); });
                start = std::chrono::steady_clock::now();
                kestrix::testing::RunKilledAtStep(1L << 40, [&] { recover(true); });
                wholeTakeBack = std::chrono::duration_cast<std::chrono::microseconds>(
                    std::chrono::steady_clock::now() - start);
                fresh(root, w.tree);
            }
            std::uniform_int_distribution<long> runMoment(wholeRun.count() / 10, wholeRun.count() * 7 / 10);
            if (!kestrix::testing::RunKilledAfter(std::chrono::microseconds(runMoment(random)),
                                                  [&] { run(list); })) {
                ++runsFinished;
                continue;
            }
            const bool choice = choiceAwaits();
            std::uniform_int_distribution<long> takeBackMoment(0, wholeTakeBack.count());
            if (!kestrix::testing::RunKilledAfter(std::chrono::microseconds(takeBackMoment(random)),
                                                  [&] { recover(true); })) {
                ++takeBacksFinished;
            }
            ++figures.kills;
            const std::vector<SettleProblem> problems = recover(true);
            for (const SettleProblem& problem : problems)
                ADD_FAILURE() << problem.path << ": " << problem.reason;
            const Expect expect = choice ? Expect::Old : Expect::OldOrNew;
            for (const std::string& fault : Check(root, w.tree, w.entries, expect, figures))
                ADD_FAILURE() << fault;
            expectNothingLeftToSettle();
        }
        std::cout << label << ", random moments of the take-back of 10,000 renames: " << figures.kills
                  << " kills (" << takeBacksFinished << " take-backs finished first, " << runsFinished
                  << " runs finished first), " << figures.items << " items checked, " << figures.temporaries
                  << " temporaries left, " << figures.secondLinks << " second links left\n";
    }
};

const Scenario kExt4Scenarios[] = {
    {"plain", RenameWays{}, {"a", "b", "c"}, {{"a", "a1"}, {"b", "b1"}, {"c", "c1"}}, false},
    {"letter case through a temporary name",
     RenameWays{.caseOnlyThroughTemporary = true},
     {"a.txt", "Dir/", "Dir/x"},
     {{"a.txt", "A.TXT"}, {"Dir", "DIR"}, {"Dir/x", "Dir/X"}},
     false},
    {"hard link", RenameWays{.renameAt2 = false}, {"a", "b"}, {{"a", "a1"}, {"b", "b1"}}, false},
    {"placeholder",
     RenameWays{.renameAt2 = false, .hardLinks = false},
     {"a", "Dir/"},
     {{"a", "a1"}, {"Dir", "dir"}},
     false},
    {"chain, a failure and a folder with its contents",
     RenameWays{},
     {"1", "2", "taken", "x", "Dir/", "Dir/y"},
     {{"2", "3"}, {"1", "2"}, {"x", "taken"}, {"Dir", "dir"}, {"Dir/y", "Dir/Y"}},
     false},
    {"undo", RenameWays{}, {"a", "Dir/", "Dir/y"}, {{"a", "a1"}, {"Dir", "dir"}, {"Dir/y", "Dir/Y"}}, true},
    {"undo through a temporary name",
     RenameWays{.caseOnlyThroughTemporary = true},
     {"a"},
     {{"a", "A"}},
     true},
};

TEST_F(CrashTest, RecoversFromACutAtEveryStepOnExt4) {
    Figures figures;
    for (const Scenario& s : kExt4Scenarios) cutAtEveryStep(files(), s, figures);
    std::cout << "ext4, every step: " << figures.kills << " kills, " << figures.items << " items checked, "
              << figures.temporaries << " temporaries left, " << figures.secondLinks
              << " second links left\n";
}

// Steps of each scenario's run (or undo) to cut it at before its settling is
// cut in turn: at an intermediate, after some renames, near the end.
const std::vector<long> kRunCuts = {3, 6, 9, 13};

TEST_F(CrashTest, SettlesACutTakeBackOrKeepAtEveryStepOnExt4) {
    Figures figures;
    for (const Scenario& s : kExt4Scenarios) cutSettlingAtEveryStep(files(), s, kRunCuts, figures);
    std::cout << "ext4, settling cut at every step: " << figures.kills << " kills, " << figures.items
              << " items checked, " << figures.temporaries << " temporaries left, " << figures.secondLinks
              << " second links left\n";
}

// Kills at random moments of a run of 10,000 renames, then at a random
// moment of the take-back its next start makes; the start after that
// settles the rest, and every item is under its old name.
TEST_F(CrashTest, SettlesKillsAtRandomMomentsOfATakeBackOnExt4) { cutTakeBackAtRandom(files(), 6, "ext4"); }

TEST_F(CrashTest, RecoversFromKillsAtRandomMomentsOnExt4) {
    cutAtRandom(files(),
                {RenameWays{}, RenameWays{.caseOnlyThroughTemporary = true}, RenameWays{.renameAt2 = false},
                 RenameWays{.renameAt2 = false, .hardLinks = false}},
                8, "ext4");
}

class ExfatCrashTest : public CrashTest {
protected:
    void SetUp() override {
        CrashTest::SetUp();
        const std::string reason = volume_.mount();
        if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    }
    void TearDown() override {
        CrashTest::TearDown();
        if (!volume_.unmount()) ADD_FAILURE() << "could not unmount " << volume_.root();
    }
    std::string volumeRoot() const { return volume_.root() + "/files"; }

    kestrix::testing::ExfatMount volume_{128};
};

const Scenario kExfatScenarios[] = {
    {"exFAT placeholder", RenameWays{}, {"a", "Dir/"}, {{"a", "a1"}, {"Dir", "dir"}}, false},
    {"exFAT letter case",
     RenameWays{},
     {"a.txt",
      "\xC5\x82\xC3\xB3"
      "d\xC5\xBA",
      "Dir/", "Dir/x"},
     {{"a.txt", "A.TXT"},
      {"\xC5\x82\xC3\xB3"
       "d\xC5\xBA",
       "\xC5\x81\xC3\x93"
       "D\xC5\xB9"},
      {"Dir", "DIR"},
      {"Dir/x", "Dir/X"}},
     false},
    {"exFAT undo", RenameWays{}, {"a.txt", "b"}, {{"a.txt", "A.TXT"}, {"b", "b1"}}, true},
};

TEST_F(ExfatCrashTest, RecoversFromACutAtEveryStep) {
    Figures figures;
    for (const Scenario& s : kExfatScenarios) cutAtEveryStep(volumeRoot(), s, figures);
    std::cout << "exFAT, every step: " << figures.kills << " kills, " << figures.items << " items checked, "
              << figures.temporaries << " temporaries left, " << figures.secondLinks
              << " second links left\n";
}

TEST_F(ExfatCrashTest, SettlesACutTakeBackOrKeepAtEveryStep) {
    Figures figures;
    for (const Scenario& s : kExfatScenarios) cutSettlingAtEveryStep(volumeRoot(), s, kRunCuts, figures);
    std::cout << "exFAT, settling cut at every step: " << figures.kills << " kills, " << figures.items
              << " items checked, " << figures.temporaries << " temporaries left, " << figures.secondLinks
              << " second links left\n";
}

TEST_F(ExfatCrashTest, SettlesKillsAtRandomMomentsOfATakeBack) {
    cutTakeBackAtRandom(volumeRoot(), 3, "exFAT");
}

TEST_F(ExfatCrashTest, RecoversFromKillsAtRandomMoments) {
    cutAtRandom(volumeRoot(), {RenameWays{}}, 6, "exFAT");
}

}  // namespace
}  // namespace kestrix::run::testing
