#include "rename.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bindfs_mount.h"
#include "disk_steps.h"
#include "folders.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    for (const FolderItem& item : ListFolder(folder)) names.push_back(item.name);
    return names;
}

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i) result += text;
    return result;
}

TEST(RefusedNameReason, RefusesNamesThatCannotStayInTheirFolder) {
    struct Case {
        std::string name;
        bool refused;
    };
    const Case cases[] = {
        {"", true},
        {".", true},
        {"..", true},
        {"a/b", true},
        {"/", true},
        {std::string("a\0b", 3), true},
        {std::string(256, 'x'), true},
        {std::string(255, 'x'), false},
        {Repeat("\xC5\x81", 128), true},  // 128 letters "Ł" take 256 bytes
        {Repeat("\xC5\x81", 127).append("x"), false},
        {"...", false},
        {".hidden", false},
        {"a\\b:c", false},
        {"\xFF\xFE", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(!RefusedNameReason(c.name).empty(), c.refused) << "name of " << c.name.size() << " bytes";
    }
}

// Every behaviour of the no-replace rename holds on the direct path and on
// each fallback alike: hard links where renameat2 refuses the flag, and a
// reserved placeholder where there are no hard links either.
struct Way {
    const char* name;
    RenameWays ways;
};

const Way kWays[] = {
    {"Direct", RenameWays{}},
    {"HardLink", RenameWays{.renameAt2 = false}},
    {"Placeholder", RenameWays{.renameAt2 = false, .hardLinks = false}},
};

class RenameNoReplaceTest : public ::testing::TestWithParam<Way> {
protected:
    void SetUp() override { renameWays() = GetParam().ways; }
    void TearDown() override { resetRenameWays(); }
    RenameResult Rename(const std::string& from, const std::string& to) { return RenameNoReplace(from, to); }
    TempFolder temp;
};

TEST_P(RenameNoReplaceTest, RenamesFilesFoldersAndLinks) {
    ASSERT_TRUE(WriteFile(temp / "a.txt", "alpha"));
    ASSERT_EQ(mkdir((temp / "dir").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "dir/inner", "inner"));
    ASSERT_EQ(symlink("dir", (temp / "link").c_str()), 0);

    RenameResult result = Rename(temp / "a.txt", temp / "b.txt");
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.error, 0);
    EXPECT_TRUE(result.reason.empty());
    EXPECT_EQ(ReadFile(temp / "b.txt"), "alpha");

    result = Rename(temp / "dir", temp / "folder");
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(ReadFile(temp / "folder/inner"), "inner");

    // The link itself moves, pointing where it did.
    result = Rename(temp / "link", temp / "link2");
    ASSERT_TRUE(result.ok) << result.reason;
    char target[16] = {};
    ASSERT_EQ(readlink((temp / "link2").c_str(), target, sizeof target - 1), 3);
    EXPECT_STREQ(target, "dir");

    EXPECT_EQ(Listing(temp.path()), (std::vector<std::string>{"b.txt", "folder", "link2"}));
}

TEST_P(RenameNoReplaceTest, NeverReplacesWhatExists) {
    ASSERT_TRUE(WriteFile(temp / "file1", "one"));
    ASSERT_TRUE(WriteFile(temp / "file2", "two"));
    ASSERT_EQ(mkdir((temp / "full").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "full/inner", "inner"));
    ASSERT_EQ(mkdir((temp / "empty").c_str(), 0755), 0);
    ASSERT_EQ(symlink("nowhere", (temp / "dangling").c_str()), 0);

    const std::pair<const char*, const char*> conflicts[] = {
        {"file1", "file2"}, {"file1", "full"}, {"file1", "empty"},    {"file1", "dangling"},
        {"full", "empty"},  {"empty", "full"}, {"empty", "dangling"}, {"full", "file2"},
    };
    for (const auto& [from, to] : conflicts) {
        const RenameResult result = Rename(temp / from, temp / to);
        EXPECT_FALSE(result.ok) << from << " -> " << to;
        EXPECT_EQ(result.error, EEXIST) << from << " -> " << to;
        EXPECT_FALSE(result.reason.empty());
    }
    EXPECT_EQ(ReadFile(temp / "file1"), "one");
    EXPECT_EQ(ReadFile(temp / "file2"), "two");
    EXPECT_EQ(ReadFile(temp / "full/inner"), "inner");
    EXPECT_EQ(Listing(temp / "empty").size(), 0u);
    EXPECT_EQ(Listing(temp.path()),
              (std::vector<std::string>{"dangling", "empty", "file1", "file2", "full"}));
}

TEST_P(RenameNoReplaceTest, ReportsAMissingSource) {
    const RenameResult result = Rename(temp / "missing", temp / "new");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_FALSE(Exists(temp / "new"));
}

TEST_P(RenameNoReplaceTest, RefusesBadTargetNamesBeforeTouchingTheDisk) {
    ASSERT_TRUE(WriteFile(temp / "a", "alpha"));
    ASSERT_EQ(mkdir((temp / "sub").c_str(), 0755), 0);
    for (const std::string& to : {temp / "sub/..", temp / ".", temp.path() + "/",
                                  temp / std::string(256, 'n'), temp.path() + std::string("/x\0y", 4)}) {
        const RenameResult result = Rename(temp / "a", to);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, EINVAL);
        EXPECT_FALSE(result.reason.empty());
    }
    EXPECT_EQ(ReadFile(temp / "a"), "alpha");
    EXPECT_EQ(Listing(temp.path()), (std::vector<std::string>{"a", "sub"}));
}

TEST_P(RenameNoReplaceTest, KeepsBytesThatAreNotUtf8) {
    const std::string from = "\xFF\xFE-\xC3(.txt";
    const std::string to = "\xE9t\xE9\x80.txt";
    ASSERT_TRUE(WriteFile(temp / from, "latin"));
    const RenameResult result = Rename(temp / from, temp / to);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(Listing(temp.path()), std::vector<std::string>{to});
    EXPECT_EQ(ReadFile(temp / to), "latin");
}

TEST_P(RenameNoReplaceTest, TreatsTwoNamesOfOneHardLinkedFileAsAConflict) {
    ASSERT_TRUE(WriteFile(temp / "a.txt", "shared"));
    // On a case-sensitive file system "A.txt" is a second entry of its own,
    // even though it names the same file.
    ASSERT_EQ(link((temp / "a.txt").c_str(), (temp / "A.txt").c_str()), 0);
    ASSERT_EQ(link((temp / "a.txt").c_str(), (temp / "other").c_str()), 0);

    for (const char* to : {"A.txt", "other"}) {
        const RenameResult result = Rename(temp / "a.txt", temp / to);
        EXPECT_FALSE(result.ok) << to;
        EXPECT_EQ(result.error, EEXIST) << to;
    }
    EXPECT_EQ(Listing(temp.path()), (std::vector<std::string>{"A.txt", "a.txt", "other"}));
    struct stat st;
    ASSERT_EQ(stat((temp / "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_nlink, 3u);
}

TEST_P(RenameNoReplaceTest, RenamesToAnotherLetterCase) {
    ASSERT_TRUE(WriteFile(temp / "a.txt", "alpha"));
    ASSERT_EQ(mkdir((temp / "dir").c_str(), 0755), 0);
    RenameResult result = Rename(temp / "a.txt", temp / "A.txt");
    ASSERT_TRUE(result.ok) << result.reason;
    result = Rename(temp / "dir", temp / "DIR");
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(Listing(temp.path()), (std::vector<std::string>{"A.txt", "DIR"}));
    EXPECT_EQ(ReadFile(temp / "A.txt"), "alpha");
}

TEST_P(RenameNoReplaceTest, SamePathIsNothingToDo) {
    ASSERT_TRUE(WriteFile(temp / "a", "alpha"));
    EXPECT_TRUE(Rename(temp / "a", temp / "a").ok);
    EXPECT_EQ(ReadFile(temp / "a"), "alpha");
    EXPECT_EQ(Rename(temp / "b", temp / "b").error, ENOENT);
}

// Failing over a placeholder takes the placeholder away again: a folder
// cannot become its own subfolder.
TEST_P(RenameNoReplaceTest, LeavesNothingAtTheTargetWhenItFails) {
    ASSERT_EQ(mkdir((temp / "dir").c_str(), 0755), 0);
    const RenameResult result = Rename(temp / "dir", temp / "dir/inside");
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(Listing(temp / "dir").size(), 0u);
    EXPECT_EQ(Listing(temp.path()), std::vector<std::string>{"dir"});
}

INSTANTIATE_TEST_SUITE_P(Ways, RenameNoReplaceTest, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<Way>& info) {
                             return std::string(info.param.name);
                         });

// A journal hears of every intermediate a rename leaves on disk, before it is
// made and after it is gone; each change on disk is one step.
class StepRecorder : public RenameSteps {
public:
    int begin(Intermediate kind, const std::string& path) override {
        heard.push_back(Heard{true, kind, path});
        return refuse;
    }
    void end(Intermediate kind, const std::string& path) override {
        heard.push_back(Heard{false, kind, path});
    }

    struct Heard {
        bool begin;
        Intermediate kind;
        std::string path;
        friend bool operator==(const Heard&, const Heard&) = default;
    };
    std::vector<Heard> heard;
    int refuse = 0;  // the errno begin() answers with
};

TEST(Renamer, AnnouncesEveryIntermediateAndCountsItsSteps) {
    struct Case {
        const char* label;
        RenameWays ways;
        const char* from;
        const char* to;
        Intermediate kind;  // of the one intermediate
        const char* at;     // where it is, relative to the folder
        long steps;         // changes on disk
    };
    const Case cases[] = {
        {"hard link", RenameWays{.renameAt2 = false}, "a", "b", Intermediate::SecondLink, "b", 2},
        {"placeholder", RenameWays{.renameAt2 = false, .hardLinks = false}, "a", "b",
         Intermediate::Placeholder, "b", 2},
        {"through a temporary name", RenameWays{.caseOnlyThroughTemporary = true}, "a", "A",
         Intermediate::Temporary, ".kestrix-run7-42.tmp", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder temp;
        ASSERT_TRUE(WriteFile(temp / c.from, "alpha"));
        renameWays() = c.ways;
        StepRecorder recorder;
        Renamer renamer("run7", &recorder);
        const long before = DiskStepsTaken();

        const RenameResult result = renamer.rename(temp / c.from, temp / c.to, 42);

        resetRenameWays();
        ASSERT_TRUE(result.ok) << result.reason;
        EXPECT_EQ(DiskStepsTaken() - before, c.steps);
        const std::vector<StepRecorder::Heard> expected = {{true, c.kind, temp / c.at},
                                                           {false, c.kind, temp / c.at}};
        EXPECT_EQ(recorder.heard, expected);
        EXPECT_EQ(Listing(temp.path()), std::vector<std::string>{c.to});
        EXPECT_EQ(ReadFile(temp / c.to), "alpha");
    }
}

// An intermediate that cannot be recorded is not made: the rename fails first.
TEST(Renamer, MakesNoIntermediateThatCannotBeRecorded) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "a", "alpha"));
    renameWays() = RenameWays{.renameAt2 = false};
    StepRecorder recorder;
    recorder.refuse = ENOSPC;
    Renamer renamer("run8", &recorder);

    const RenameResult result = renamer.rename(temp / "a", temp / "b", 0);

    resetRenameWays();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, ENOSPC);
    EXPECT_EQ(Listing(temp.path()), std::vector<std::string>{"a"});
}

// On a file system that keeps letter case apart, "A.TXT" beside "a.txt" is
// another item: a rename onto it fails as onto any other taken name, both
// items keep their contents, and the item never steps aside under a
// temporary name. The rename learns how the folder compares case from a
// probe, which must look up the other spelling, never the one it made.
void ExpectCaseOnlyRenameOntoAnotherItemFails(const std::string& root) {
    struct Pair {
        const char* from;
        const char* to;
        bool folders;
    };
    const Pair pairs[] = {{"a.txt", "A.TXT", false}, {"dir", "DIR", true}};
    int played = 0;
    for (const Way& way : kWays) {
        for (const Pair& pair : pairs) {
            SCOPED_TRACE(std::string(way.name) + ": " + pair.from + " -> " + pair.to);
            const std::string folder = root + "/" + std::to_string(played++);
            ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
            const std::string from = folder + "/" + pair.from;
            const std::string to = folder + "/" + pair.to;
            if (pair.folders) {
                ASSERT_EQ(mkdir(from.c_str(), 0755), 0);
                ASSERT_EQ(mkdir(to.c_str(), 0755), 0);
                ASSERT_TRUE(WriteFile(from + "/inner", "lower"));
                ASSERT_TRUE(WriteFile(to + "/inner", "upper"));
            } else {
                ASSERT_TRUE(WriteFile(from, "lower"));
                ASSERT_TRUE(WriteFile(to, "upper"));
            }
            renameWays() = way.ways;
            StepRecorder recorder;
            Renamer renamer("case", &recorder);

            const RenameResult result = renamer.rename(from, to, 3);

            resetRenameWays();
            EXPECT_FALSE(result.ok);
            EXPECT_EQ(result.error, EEXIST);
            EXPECT_TRUE(result.leftAt.empty());
            const std::string inside = pair.folders ? "/inner" : "";
            EXPECT_EQ(ReadFile(from + inside), "lower");
            EXPECT_EQ(ReadFile(to + inside), "upper");
            EXPECT_EQ(Listing(folder), (std::vector<std::string>{pair.to, pair.from}));
            // The folder was probed, and the probe taken away again; nothing
            // went under a temporary name.
            const std::string probe = folder + "/.kestrix-case-probe1-abcdefghijklmnopqrstuvwxyz";
            const auto heard = [&](const StepRecorder::Heard& step) {
                return std::find(recorder.heard.begin(), recorder.heard.end(), step) != recorder.heard.end();
            };
            EXPECT_TRUE(heard({true, Intermediate::Probe, probe}));
            EXPECT_TRUE(heard({false, Intermediate::Probe, probe}));
            for (const StepRecorder::Heard& step : recorder.heard)
                EXPECT_NE(step.kind, Intermediate::Temporary) << step.path;
        }
    }
}

TEST(Renamer, ACaseOnlyRenameOntoAnotherItemFailsAndStepsNothingAside) {
    TempFolder temp;
    ExpectCaseOnlyRenameOntoAnotherItemFails(temp.path());
}

// The same on FUSE, where a folder found to fold case would have the daemon
// rename the item in one step, over the other item.
TEST(Renamer, ACaseOnlyRenameOntoAnotherItemFailsOnACaseSensitiveFuseFileSystem) {
    kestrix::testing::BindfsMount mount;
    const std::string reason = mount.mount();
    if (!reason.empty()) GTEST_SKIP() << "case-sensitive FUSE file system not available: " << reason;
    ExpectCaseOnlyRenameOntoAnotherItemFails(mount.root());
    EXPECT_TRUE(mount.unmount()) << "could not unmount " << mount.root();
}

// The folder's append-only attribute (chattr +a) for as long as it lives.
class AppendOnlyFolder {
public:
    explicit AppendOnlyFolder(std::string path) : path_(std::move(path)) {
        set_ = std::system(("chattr +a '" + path_ + "' 2>/dev/null").c_str()) == 0;
    }
    ~AppendOnlyFolder() {
        if (set_) std::system(("chattr -a '" + path_ + "'").c_str());
    }
    bool isSet() const { return set_; }

private:
    std::string path_;
    bool set_ = false;
};

// Where renameat2 refuses the flag a file gets its new name as a hard link,
// and then the old name is dropped. In an append-only folder the old name
// cannot go: the rename fails, and the new name is taken away again, so the
// file keeps exactly one name.
TEST(Renamer, AHardLinkWhoseOldNameCannotGoIsRemovedAgain) {
    TempFolder temp;
    ASSERT_EQ(mkdir((temp / "locked").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((temp / "open").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(temp / "locked/a", "alpha"));
    AppendOnlyFolder locked(temp / "locked");
    if (!locked.isSet()) {
        GTEST_SKIP() << "chattr +a is not available here (it needs chattr, root's CAP_LINUX_IMMUTABLE and a "
                        "file system with the attribute, such as ext4); not covered: a second name taken "
                        "away again when the old name cannot go";
    }
    renameWays() = RenameWays{.renameAt2 = false};
    StepRecorder recorder;
    Renamer renamer("run9", &recorder);

    const RenameResult result = renamer.rename(temp / "locked/a", temp / "open/b", 0);

    resetRenameWays();
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EPERM);
    EXPECT_EQ(Listing(temp / "locked"), std::vector<std::string>{"a"});
    EXPECT_EQ(ReadFile(temp / "locked/a"), "alpha");
    EXPECT_TRUE(Listing(temp / "open").empty());
    // The second name is recorded as gone, so nothing is left to settle.
    const std::vector<StepRecorder::Heard> expected = {{true, Intermediate::SecondLink, temp / "open/b"},
                                                       {false, Intermediate::SecondLink, temp / "open/b"}};
    EXPECT_EQ(recorder.heard, expected);
}

}  // namespace
}  // namespace kestrix::platform

namespace kestrix::platform {
namespace {

// Where a careless program writes when the placeholder appears.
std::string carelessTarget;

void WriteIntoThePlaceholder(long) {
    if (carelessTarget.empty()) return;
    const std::string target = std::exchange(carelessTarget, std::string());
    ASSERT_TRUE(WriteFile(target, "theirs"));
}

// Another program opened the target name without O_EXCL and wrote to the
// placeholder between its making and the rename: the rename leaves it alone.
TEST(Renamer, DoesNotRenameOverAPlaceholderAnotherProgramWroteTo) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "a", "ours"));
    renameWays() = RenameWays{.renameAt2 = false, .hardLinks = false};
    carelessTarget = temp / "b";
    SetDiskStepHook(WriteIntoThePlaceholder);

    const RenameResult result = RenameNoReplace(temp / "a", temp / "b");

    SetDiskStepHook(nullptr);
    resetRenameWays();
    EXPECT_TRUE(carelessTarget.empty()) << "the placeholder was never made";
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, EEXIST);
    EXPECT_EQ(ReadFile(temp / "a"), "ours");
    EXPECT_EQ(ReadFile(temp / "b"), "theirs");
}

}  // namespace
}  // namespace kestrix::platform
