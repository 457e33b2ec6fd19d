#include "run/journal_format.h"

#include <gtest/gtest.h>
#include <zlib.h>

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
