#include "run/journal_format.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include "test_support.h"

namespace kestrix::run {
namespace {

using platform::Intermediate;
using platform::ItemIdentity;

ItemIdentity FileIdentity(std::uint64_t inode) {
    ItemIdentity identity;
    identity.type = ItemIdentity::Type::File;
    identity.inodeLasts = true;
    identity.inode = inode;
    return identity;
}

ItemIdentity TimedIdentity() {
    ItemIdentity identity;
    identity.type = ItemIdentity::Type::Folder;
    identity.inode = 7;
    identity.hasTimes = true;
    identity.size = 4096;
    identity.modifiedNs = -1'234'567'890;  // before 1970
    return identity;
}

// A journal with one record of every kind, and what reading it must give.
struct Sample {
    std::string bytes;
    std::vector<size_t> recordEnds;  // offset after each record
    JournalContents expected;
};

Sample MakeSample() {
    Sample sample;
    JournalContents& e = sample.expected;
    e.readable = true;
    e.header = JournalHeader{RunKind::Undo, "0123456789abcd0001", "0123456789abcd0000"};
    e.plan = {
        PlanEntry{"/photos/2023/IMG_0001.JPG", "/photos/2023/img_0001.jpg", FileIdentity(11)},
        PlanEntry{"/photos/2023/IMG_0002.JPG", "/photos/2023/img_0002.jpg", FileIdentity(12)},
        PlanEntry{"/photos/Łódź \xFF\xFE", "/photos/ŁÓDŹ \xFF\xFE", TimedIdentity()},
        PlanEntry{"/a", "/a", ItemIdentity{}},
    };
    auto mark = [&] { sample.recordEnds.push_back(sample.bytes.size()); };
    AppendHeader(e.header, sample.bytes);
    mark();
    AppendPlan(e.plan, sample.bytes);  // one plan record and the completing one
    sample.recordEnds.push_back(sample.bytes.size() - 9 - 1);
    mark();
    e.planComplete = true;
    AppendIdentities(e.plan, sample.bytes);
    mark();

    const PlanEntry amended{"/photos/2023/IMG_0002.JPG", "/photos/2023/IMG_0002 (2).JPG", FileIdentity(12)};
    AppendAmendments({{1, amended}}, sample.bytes);
    mark();
    e.plan[1] = amended;

    const OutcomeRecord renamed{Outcome::Renamed, std::string(), std::string(), 0};
    const OutcomeRecord repointed{Outcome::Renamed, "/x/old", "/x/new", 0};
    const OutcomeRecord failed{Outcome::Failed, std::string(), std::string(), 17};
    AppendOutcomes({{0, failed}, {1, repointed}}, sample.bytes);
    mark();
    AppendOutcomes({{0, renamed}}, sample.bytes);  // the last record of an entry counts
    mark();
    e.outcomes = {renamed, repointed, std::nullopt, std::nullopt};

    const StepRecord temporary{2, Intermediate::Temporary, "/photos/.kestrix-0123456789abcd0001-2.tmp"};
    const StepRecord link{1, Intermediate::SecondLink, "/photos/2023/IMG_0002 (2).JPG"};
    AppendStep(true, temporary, sample.bytes);
    mark();
    AppendStep(true, link, sample.bytes);
    mark();
    AppendStep(false, link, sample.bytes);
    mark();
    e.openSteps = {temporary};

    AppendFinished(sample.bytes);
    mark();
    e.finished = true;
    return sample;
}

void ExpectSame(const JournalContents& actual, const JournalContents& expected) {
    EXPECT_EQ(actual.readable, expected.readable);
    EXPECT_EQ(actual.header, expected.header);
    EXPECT_EQ(actual.plan, expected.plan);
    EXPECT_EQ(actual.planComplete, expected.planComplete);
    EXPECT_EQ(actual.outcomes, expected.outcomes);
    EXPECT_EQ(actual.openSteps, expected.openSteps);
    EXPECT_EQ(actual.finished, expected.finished);
}

TEST(JournalFormat, ReadsBackWhatWasWritten) {
    const Sample sample = MakeSample();
    ExpectSame(ParseJournal(sample.bytes), sample.expected);
}

// The summary after the end is what the history of runs reads, from the two
// ends of the file alone; cut short, it is simply missing and the run stays finished.
TEST(JournalFormat, TheSummaryAfterTheEndIsReadFromTheTail) {
    Sample sample = MakeSample();
    const RunSummary summary{285, "/photos/Łódź \xFF", true, false, "boot:4242:99"};
    const size_t end = sample.bytes.size();
    AppendSummary(summary, sample.bytes);

    const JournalContents contents = ParseJournal(sample.bytes);
    ExpectSame(contents, sample.expected);
    EXPECT_EQ(contents.summary, summary);
    EXPECT_EQ(HeaderAtStart(std::string_view(sample.bytes).substr(0, 100)), sample.expected.header);
    const std::string_view bytes(sample.bytes);
    EXPECT_EQ(SummaryAtEnd(bytes.substr(bytes.size() - 80)), summary);
    EXPECT_EQ(SummaryAtEnd(bytes), summary);

    for (size_t cut = end; cut < sample.bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        EXPECT_EQ(SummaryAtEnd(bytes.substr(0, cut)), std::nullopt);
        EXPECT_TRUE(ParseJournal(bytes.substr(0, cut)).finished);
    }
    EXPECT_EQ(HeaderAtStart(bytes.substr(0, 20)), std::nullopt);
}

// Cut anywhere inside the last record (a write torn by a crash), the journal
// reads as if that record had never been written.
TEST(JournalFormat, IgnoresATornLastRecord) {
    const Sample sample = MakeSample();
    const size_t lastStart = sample.recordEnds[sample.recordEnds.size() - 2];
    JournalContents withoutLast = sample.expected;
    withoutLast.finished = false;
    for (size_t cut = lastStart; cut < sample.bytes.size(); ++cut) {
        SCOPED_TRACE(cut);
        ExpectSame(ParseJournal(std::string_view(sample.bytes).substr(0, cut)), withoutLast);
    }
}

// The identities follow the synced plan; a journal cut off before them
// knows the paths and not the items.
TEST(JournalFormat, APlanWithoutIdentitiesIsStillAPlan) {
    const Sample sample = MakeSample();
    const JournalContents contents =
        ParseJournal(std::string_view(sample.bytes).substr(0, sample.recordEnds[2]));
    EXPECT_TRUE(contents.planComplete);
    ASSERT_EQ(contents.plan.size(), sample.expected.plan.size());
    EXPECT_EQ(contents.plan[0].current, sample.expected.plan[0].current);
    EXPECT_EQ(contents.plan[0].identity, ItemIdentity{});
}

// A plan cut short is no plan: nothing may have been renamed by its run.
TEST(JournalFormat, APlanWithoutItsLastRecordIsIncomplete) {
    const Sample sample = MakeSample();
    for (size_t cut = sample.recordEnds[0]; cut < sample.recordEnds[2]; ++cut) {
        const JournalContents contents = ParseJournal(std::string_view(sample.bytes).substr(0, cut));
        EXPECT_TRUE(contents.readable);
        EXPECT_FALSE(contents.planComplete) << cut;
        EXPECT_TRUE(contents.outcomes.empty()) << cut;
    }
}

// A damaged record ends the journal there: nothing after it is trusted.
TEST(JournalFormat, StopsAtADamagedRecord) {
    Sample sample = MakeSample();
    sample.bytes[sample.recordEnds[4] + 12] ^= 0x20;  // inside the first outcomes record
    const JournalContents contents = ParseJournal(sample.bytes);
    EXPECT_TRUE(contents.planComplete);
    EXPECT_EQ(contents.plan, sample.expected.plan);
    EXPECT_EQ(contents.outcomes, (std::vector<std::optional<OutcomeRecord>>(4)));
    EXPECT_TRUE(contents.openSteps.empty());
    EXPECT_FALSE(contents.finished);
}

// A record framed by hand: length, CRC-32 of length, type and payload, type, payload.
std::string Frame(std::uint8_t type, const std::string& payload) {
    std::string record(4, '\0');
    for (int i = 0; i < 4; ++i) record[i] = static_cast<char>((payload.size() >> (8 * i)) & 0xFF);
    std::string checked = record + static_cast<char>(type) + payload;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(checked.data()), 4);
    crc =
        crc32(crc, reinterpret_cast<const Bytef*>(checked.data() + 4), static_cast<uInt>(1 + payload.size()));
    for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((crc >> (8 * i)) & 0xFF));
    return record + static_cast<char>(type) + payload;
}

TEST(JournalFormat, IsUnreadableWithoutAHeaderItKnows) {
    const Sample sample = MakeSample();
    const std::string rest = sample.bytes.substr(sample.recordEnds[0]);
    // Header payload: the magic text with its length, the version, the kind, two ids.
    const std::string magic = std::string(1, 19) + "KESTRIX-RUN-JOURNAL";
    const std::string ids = std::string(1, 0) + std::string(1, 0);
    // Versions 1 (written before identities told reused inode numbers apart) and 2.
    ASSERT_TRUE(ParseJournal(Frame(1, magic + std::string(1, 1) + std::string(1, 1) + ids) + rest).readable);
    ASSERT_TRUE(ParseJournal(Frame(1, magic + std::string(1, 2) + std::string(1, 1) + ids) + rest).readable);
    for (const std::string& bytes : {std::string(), std::string("KESTRIX"), rest,
                                     Frame(1, magic + std::string(1, 3) + std::string(1, 1) + ids) + rest,
                                     Frame(1, magic + std::string(1, 1) + std::string(1, 9) + ids) + rest}) {
        EXPECT_FALSE(ParseJournal(bytes).readable);
    }
}

}  // namespace
}  // namespace kestrix::run

namespace kestrix::run {
namespace {

// Through a file too: the streamed reader must say what the reader of bytes says.
JournalContents ReadBoth(const std::string& bytes) {
    platform::testing::TempFolder temp;
    const std::string path = temp / "run.journal";
    EXPECT_TRUE(platform::testing::WriteFile(path, bytes));
    chmod(path.c_str(), 0600);
    const JournalContents fromFile = ReadJournalFile(path);
    const JournalContents fromBytes = ParseJournal(bytes);
    EXPECT_EQ(fromFile.damaged, fromBytes.damaged);
    EXPECT_EQ(fromFile.headerTorn, fromBytes.headerTorn);
    EXPECT_EQ(fromFile.laterVersion, fromBytes.laterVersion);
    EXPECT_EQ(fromFile.readable, fromBytes.readable);
    EXPECT_EQ(fromFile.plan, fromBytes.plan);
    EXPECT_EQ(fromFile.openSteps, fromBytes.openSteps);
    return fromFile;
}

// Every record of the sample cut short (a torn last write) and with a byte
// flipped (damage): a cut is what a crash leaves and is read up to the cut;
// a flip makes the journal damaged, its part before the flip still read
// (after a damaged header, the records that follow it).
TEST(JournalFormat, TellsATornEndFromDamageInEveryKindOfRecord) {
    const Sample sample = MakeSample();
    const char* const kinds[] = {"header",     "plan",       "plan complete", "identities",
                                 "changes",    "outcomes",   "outcomes",      "step begun",
                                 "step begun", "step ended", "finished"};
    ASSERT_EQ(sample.recordEnds.size(), std::size(kinds));
    for (size_t k = 0; k < sample.recordEnds.size(); ++k) {
        SCOPED_TRACE(std::string("record ") + std::to_string(k) + ", " + kinds[k]);
        const size_t start = k == 0 ? 0 : sample.recordEnds[k - 1];
        const size_t end = sample.recordEnds[k];
        // Entries of the plan known before record k.
        const size_t planned = k >= 2 ? 4 : 0;
        for (const size_t cut : {start + 4, end - 1}) {
            const JournalContents contents = ReadBoth(sample.bytes.substr(0, cut));
            EXPECT_FALSE(contents.damaged) << cut;
            EXPECT_EQ(contents.headerTorn, k == 0);
            EXPECT_EQ(contents.readable, k != 0);
            EXPECT_EQ(contents.plan.size(), planned);
            EXPECT_EQ(contents.planComplete, k >= 3);
            EXPECT_FALSE(contents.finished);
        }
        std::string flipped = sample.bytes;
        flipped[end - start > 9 ? start + 9 + (end - start - 9) / 2 : start + 5] ^= 0x04;
        const JournalContents contents = ReadBoth(flipped);
        EXPECT_TRUE(contents.damaged);
        EXPECT_FALSE(contents.headerTorn);
        EXPECT_EQ(contents.readable, k != 0);
        EXPECT_EQ(contents.plan.size(), k == 0 ? 4 : planned);
        EXPECT_EQ(contents.planComplete, k == 0 || k >= 3);
        EXPECT_EQ(contents.finished, k == 0);
    }
}

TEST(JournalFormat, KnowsALaterVersionEmptinessGarbageAndZerosAtTheEnd) {
    const Sample sample = MakeSample();
    const std::string rest = sample.bytes.substr(sample.recordEnds[0]);
    const std::string magic = std::string(1, 19) + "KESTRIX-RUN-JOURNAL";
    const std::string ids = std::string(1, 0) + std::string(1, 0);
    const std::string header = sample.bytes.substr(0, sample.recordEnds[0]);
    const std::string unfinished = sample.bytes.substr(0, sample.recordEnds[9]);
    struct Case {
        const char* label;
        std::string bytes;
        bool laterVersion, headerTorn, damaged, readable;
    };
    const Case cases[] = {
        {"version 3", Frame(1, magic + std::string(1, 3) + std::string(1, 1) + ids) + rest, true, false,
         false, false},
        {"version 3, header alone", Frame(1, magic + std::string(1, 3) + std::string(1, 1) + ids), true,
         false, false, false},
        {"header cut short by one byte", header.substr(0, header.size() - 1), false, true, false, false},
        {"first byte of a header", header.substr(0, 1), false, true, false, false},
        {"empty", std::string(), false, false, true, false},
        {"garbage", std::string("Ala ma kota, a kot ma Alę. To nie jest dziennik."), false, false, true,
         false},
        {"zeros", std::string(4096, '\0'), false, false, true, false},
        {"zeros after the last whole record", unfinished + std::string(4096, '\0'), false, false, false,
         true},
        {"garbage after the last whole record", unfinished + "garbage garbage", false, false, true, true},
        {"a record longer than any written",
         unfinished + std::string("\xFF\xFF\xFF\x7F", 4) + std::string(40, 'x'), false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const JournalContents contents = ReadBoth(c.bytes);
        EXPECT_EQ(contents.laterVersion, c.laterVersion);
        EXPECT_EQ(contents.headerTorn, c.headerTorn);
        EXPECT_EQ(contents.damaged, c.damaged);
        EXPECT_EQ(contents.readable, c.readable);
    }
}

}  // namespace
}  // namespace kestrix::run
