// Only the user's own journals are read or acted on: another user's journal
// in the state folder (one root finds in a home kept by sudo -E, or one root
// put in a user's folder) must never make a run rename anything.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "run/journal_format.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody

// The journal of a run cut off after renaming a to b, and of one finished
// (which undo would take back), owned by `owner`.
void WriteJournals(const std::string& folder, const std::string& files, uid_t owner) {
    std::filesystem::create_directories(folder);
    const std::vector<PlanEntry> plan = {PlanEntry{files + "/a", files + "/b", {}}};
    std::string bytes;
    AppendHeader(JournalHeader{RunKind::Rename, "00000000000001aaaa", ""}, bytes);
    AppendPlan(plan, bytes);
    AppendOutcomes({{0, OutcomeRecord{Outcome::Renamed, "", "", 0}}}, bytes);
    ASSERT_TRUE(WriteFile(folder + "00000000000001aaaa.journal", bytes));
    bytes.clear();
    AppendHeader(JournalHeader{RunKind::Rename, "00000000000002bbbb", ""}, bytes);
    AppendPlan(plan, bytes);
    AppendOutcomes({{0, OutcomeRecord{Outcome::Renamed, "", "", 0}}}, bytes);
    AppendFinished(bytes);
    ASSERT_TRUE(WriteFile(folder + "00000000000002bbbb.done", bytes));
    for (const char* name : {"00000000000001aaaa.journal", "00000000000002bbbb.done"}) {
        ASSERT_EQ(chmod((folder + name).c_str(), 0600), 0);
        ASSERT_EQ(chown((folder + name).c_str(), owner, owner), 0);
    }
}

// What a start and an undo of the user make of the folder: nothing is
// settled or offered, and both journals are named as left alone.
std::vector<std::string> FaultsOfAStart(const std::string& folder) {
    std::vector<std::string> faults;
    if (!UnfinishedJournals(folder).empty()) faults.push_back("an unfinished journal was offered");
    if (LastFinishedJournal(folder)) faults.push_back("undo was offered");
    RenameRun undo(folder);
    if (undo.beginUndoOfLastRun()) faults.push_back("undo began");
    const UntrustedJournals untrusted = FindUntrustedJournals(folder);
    if (untrusted.folder || untrusted.journals.size() != 2) faults.push_back("the journals were not named");
    return faults;
}

class JournalTrustTest : public SessionTest {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to make files of another user";
        SessionTest::SetUp();
        makeTree({"b"});
    }
};

TEST_F(JournalTrustTest, RootLeavesAnotherUsersJournalsAlone) {
    WriteJournals(journals(), files(), kOtherUser);
    for (const std::string& fault : FaultsOfAStart(journals())) ADD_FAILURE() << fault;
    EXPECT_TRUE(recover(true).empty());
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"b", "<b>"}}));
}

// The user's own state folder holds journals root put there: the user's
// start (a forked child that has become the user) leaves them alone.
TEST_F(JournalTrustTest, AUserLeavesJournalsOfRootInTheirFolderAlone) {
    ASSERT_EQ(chmod(temp_.path().c_str(), 0755), 0);
    WriteJournals(journals(), files(), 0);
    for (const std::string folder : {temp_ / "state", journals()}) {
        ASSERT_EQ(chown(folder.c_str(), kOtherUser, kOtherUser), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0700), 0);
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0) _exit(100);
        _exit(static_cast<int>(FaultsOfAStart(journals()).size()));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "faults seen as the user (100: could not become the user)";
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"b", "<b>"}}));
}

// A folder others may write to, or a journal they may: neither is read, and
// no run writes its journal there.
TEST_F(JournalTrustTest, LeavesWhatOthersMayWriteToAlone) {
    WriteJournals(journals(), files(), 0);
    ASSERT_EQ(chmod((journals() + "00000000000001aaaa.journal").c_str(), 0666), 0);
    ASSERT_EQ(chmod((journals() + "00000000000002bbbb.done").c_str(), 0620), 0);
    for (const std::string& fault : FaultsOfAStart(journals())) ADD_FAILURE() << fault;

    ASSERT_EQ(chmod(journals().c_str(), 0777), 0);
    EXPECT_TRUE(FindUntrustedJournals(journals()).folder);
    makeTree({"c"});
    RenameRun renameRun(journals());
    EXPECT_FALSE(renameRun.beginListRun(entries({{"c", "d"}})));
    EXPECT_EQ(renameRun.error(), EPERM);
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"b", "<b>"}, {"c", "<c>"}}));
}

// Root runs with the user's HOME (sudo -E): the run keeps its journal in
// root's own state folder and makes nothing in the user's home. In a child of
// its own, whose environment is its own; its one rename fails (the name is
// taken), so that it leaves no journal in root's folder, nor removes any.
TEST_F(JournalTrustTest, ARootRunWithTheUsersHomeKeepsOutOfIt) {
    const std::string userHome = temp_ / "ola";
    ASSERT_EQ(mkdir(userHome.c_str(), 0755), 0);
    ASSERT_EQ(chown(userHome.c_str(), kOtherUser, kOtherUser), 0);
    const passwd* root = getpwuid(0);
    ASSERT_NE(root, nullptr);
    const std::string rootFolder = std::string(root->pw_dir) + "/.local/state/Kestrix/";
    makeTree({"c"});
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("HOME", userHome.c_str(), 1);
        setenv("XDG_STATE_HOME", (userHome + "/.local/state").c_str(), 1);
        const std::string folder = DefaultJournalFolder();
        if (folder != rootFolder) _exit(1);
        RenameRun renameRun(folder);
        if (!renameRun.beginListRun(entries({{"c", "b"}}))) _exit(2);
        if (renameRun.journalPath().rfind(rootFolder, 0) != 0) _exit(3);
        Collector collector;
        renameRun.execute(collector);
        _exit(collector.outcomes.size() == 1 && collector.outcomes[0].outcome == Outcome::Failed ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not root's own state folder, 2: the run did not begin, "
                                         "3: its journal elsewhere, 4: the taken name not refused";
    EXPECT_TRUE(std::filesystem::is_empty(userHome));
    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"b", "<b>"}, {"c", "<c>"}}));
}

}  // namespace
}  // namespace kestrix::run::testing
