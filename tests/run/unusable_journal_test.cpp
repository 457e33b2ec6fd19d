// A start meets journals it cannot use: damaged ones are set aside (never
// removed in silence) and what their readable part leads to is settled;
// one of a later version is left alone; none makes a start fail.
#include "run/unusable_journal.h"

#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include "platform/rename.h"
#include "run/journal_format.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

constexpr const char* kRunId = "0000000000000100ab";

using Map = std::map<std::string, std::string>;

class UnusableJournalTest : public SessionTest {
protected:
    std::string journal() const { return journals() + kRunId + ".journal"; }
    std::string temporary() const { return platform::TemporaryName(files() + "/", kRunId, 0); }

    // A run of a.txt -> A.TXT and b -> c cut off with a.txt under its
    // temporary name and c reserved by a placeholder: the journal's bytes and
    // where each of its records ends.
    std::string cutOffRun(std::vector<size_t>& ends) {
        makeTree({"b"});
        EXPECT_TRUE(WriteFile(temporary(), "<a.txt>"));
        EXPECT_TRUE(WriteFile(at("c"), ""));
        std::string bytes;
        AppendHeader(JournalHeader{RunKind::Rename, kRunId, ""}, bytes);
        ends.push_back(bytes.size());
        AppendPlan({PlanEntry{at("a.txt"), at("A.TXT"), {}}, PlanEntry{at("b"), at("c"), {}}}, bytes);
        ends.push_back(bytes.size() - 10);
        ends.push_back(bytes.size());
        AppendStep(true, StepRecord{0, platform::Intermediate::Temporary, temporary()}, bytes);
        ends.push_back(bytes.size());
        AppendStep(true, StepRecord{1, platform::Intermediate::Placeholder, at("c")}, bytes);
        ends.push_back(bytes.size());
        return bytes;
    }

    void writeJournal(const std::string& bytes) {
        std::filesystem::create_directories(journals());
        ASSERT_TRUE(WriteFile(journal(), bytes));
        ASSERT_EQ(chmod(journal().c_str(), 0600), 0);
    }

    // What a start does with the folder's journals: those Recovery takes are
    // not expected here.
    std::vector<UnusableJournal> start() {
        std::vector<UnusableJournal> unusable;
        for (const std::string& path : UnfinishedJournals(journals())) {
            Recovery recovery(journals());
            EXPECT_FALSE(recovery.open(path)) << path;
            unusable.push_back(SettleUnusableJournal(journals(), path));
        }
        return unusable;
    }
};

TEST_F(UnusableJournalTest, SetsADamagedJournalAsideAndSettlesWhatItsReadablePartLeadsTo) {
    struct Case {
        const char* label;
        // Record damaged (flipped), or cut inside of (with nothing after it).
        size_t record;
        bool cut;
        Map tree;  // afterwards
    };
    const Map everything = {{"a.txt", "<a.txt>"}, {"b", "<b>"}};
    const Map placeholderLeft = {{"a.txt", "<a.txt>"}, {"b", "<b>"}, {"c", ""}};
    const Case cases[] = {
        {"header damaged", 0, false, everything},
        {"plan complete damaged", 2, false, placeholderLeft},
        {"temporary name's record damaged", 3, false, placeholderLeft},
        {"placeholder's record damaged", 4, false, placeholderLeft},
        {"cut inside the plan's completing record", 2, true, placeholderLeft},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::filesystem::remove_all(files());
        std::filesystem::remove_all(journals());
        std::filesystem::create_directories(files());
        std::vector<size_t> ends;
        std::string bytes = cutOffRun(ends);
        const size_t start = c.record == 0 ? 0 : ends[c.record - 1];
        if (c.cut) {
            bytes.resize(ends[c.record] - 1);
        } else {
            bytes[start + 10] ^= 0x01;
        }
        writeJournal(bytes);

        const std::vector<UnusableJournal> found = this->start();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].kind, UnusableJournal::Kind::Damaged);
        EXPECT_EQ(found[0].keptAt, journal() + ".damaged");
        for (const SettleProblem& problem : found[0].problems)
            ADD_FAILURE() << problem.path << problem.reason;
        EXPECT_EQ(tree(), c.tree);
        EXPECT_EQ(ReadFile(journal() + ".damaged"), bytes);
        EXPECT_TRUE(UnfinishedJournals(journals()).empty());
    }
}

// A temporary name whose entry the readable part does not reach is said,
// not guessed at.
TEST_F(UnusableJournalTest, SaysWhatCouldNotBeSettled) {
    std::vector<size_t> ends;
    std::string bytes = cutOffRun(ends);
    ASSERT_TRUE(WriteFile(platform::TemporaryName(files() + "/", kRunId, 7), "<x>"));
    bytes[ends[2] + 10] ^= 0x01;
    writeJournal(bytes);
    const std::vector<UnusableJournal> found = start();
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(found[0].problems.size(), 1u);
    EXPECT_EQ(found[0].problems[0].path, platform::TemporaryName(files() + "/", kRunId, 7));
    EXPECT_EQ(found[0].settled, 1);
}

TEST_F(UnusableJournalTest, LeavesAJournalOfALaterVersionAlone) {
    std::vector<size_t> ends;
    std::string bytes = cutOffRun(ends);
    std::string later;
    later.push_back(19);
    later += "KESTRIX-RUN-JOURNAL";
    later.push_back(3);  // the version
    later += "anything a later version writes";
    std::string framed(4, '\0');
    for (int i = 0; i < 4; ++i) framed[i] = static_cast<char>((later.size() >> (8 * i)) & 0xFF);
    std::string checked = framed + '\x01' + later;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(checked.data()), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(checked.data() + 4), static_cast<uInt>(1 + later.size()));
    for (int i = 0; i < 4; ++i) framed.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    bytes = framed + '\x01' + later + bytes.substr(ends[0]);
    writeJournal(bytes);
    for (int start = 0; start < 2; ++start) {
        const std::vector<UnusableJournal> found = this->start();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].kind, UnusableJournal::Kind::LaterVersion);
    }
    EXPECT_EQ(ReadFile(journal()), bytes);
    EXPECT_EQ(ReadFile(temporary()), "<a.txt>");
}

// A sparse journal of 64 GiB: the start reads a record's worth of it, sets
// it aside and goes on. Resident memory is measured in a child of its own,
// whose peak is its own.
TEST_F(UnusableJournalTest, AHugeSparseJournalIsSetAsideInBoundedMemory) {
    std::filesystem::create_directories(journals());
    const int fd = open(journal().c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 64LL << 30), 0) << "the file system takes no sparse 64 GiB file";
    close(fd);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const std::vector<UnusableJournal> found = start();
        if (found.size() != 1 || found[0].kind != UnusableJournal::Kind::Damaged) _exit(1);
        FILE* status = fopen("/proc/self/status", "r");
        char line[256];
        long peakKb = -1;
        while (status && fgets(line, sizeof line, status)) sscanf(line, "VmHWM: %ld kB", &peakKb);
        if (status) fclose(status);
        _exit(peakKb < 0 ? 2 : peakKb >= 100 * 1024 ? 3 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not set aside, 2: no peak known, 3: 100 MB or more resident";
    EXPECT_TRUE(std::filesystem::exists(journal() + ".damaged"));
    EXPECT_FALSE(std::filesystem::exists(journal()));
}

}  // namespace
}  // namespace kestrix::run::testing
