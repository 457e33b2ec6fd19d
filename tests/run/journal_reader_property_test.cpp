// Journals mutated at random, many thousand times over: reading one must
// never crash, throw or hold more than a record, and what it says must hang
// together, whatever the bytes. The file reader must say what the reader of
// bytes says.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "run/journal_format.h"
#include "test_support.h"

namespace kestrix::run {
namespace {

// SplitMix64: the same sequence on every platform and library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }

private:
    std::uint64_t state_;
};

// A journal with records of every kind and a plan of two records.
std::string Journal() {
    std::string bytes;
    AppendHeader(JournalHeader{RunKind::Rename, "0123456789abcd0001", ""}, bytes);
    std::vector<PlanEntry> plan;
    for (int i = 0; i < 2100; ++i) {
        plan.push_back(PlanEntry{"/photos/IMG_" + std::to_string(i) + ".JPG",
                                 "/photos/zdjęcie " + std::to_string(i) + ".jpg",
                                 {}});
    }
    AppendPlan(plan, bytes);
    AppendIdentities(plan, bytes);
    AppendAmendments({{5, PlanEntry{"/photos/a", "/photos/b", {}}}}, bytes);
    AppendOutcomes({{0, OutcomeRecord{Outcome::Renamed, "", "", 0}},
                    {1, OutcomeRecord{Outcome::Failed, "/x", "/y", 13}}},
                   bytes);
    AppendStep(true, StepRecord{2, platform::Intermediate::Temporary, "/photos/.kestrix-x-2.tmp"}, bytes);
    AppendStep(false, StepRecord{2, platform::Intermediate::Temporary, "/photos/.kestrix-x-2.tmp"}, bytes);
    AppendFinished(bytes);
    return bytes;
}

void Mutate(std::string& bytes, Random& random) {
    const size_t at = random.Below(bytes.size() + 1);
    switch (random.Below(7)) {
        case 0:
            if (!bytes.empty()) bytes[random.Below(bytes.size())] ^= static_cast<char>(1 << random.Below(8));
            break;
        case 1:
            if (!bytes.empty()) bytes[random.Below(bytes.size())] = static_cast<char>(random.Below(256));
            break;
        case 2:
            bytes.resize(at);
            break;
        case 3:
            bytes.insert(at, random.Below(16) + 1, static_cast<char>(random.Below(256)));
            break;
        case 4:
            bytes.erase(at, random.Below(64) + 1);
            break;
        case 5: {
            const size_t from = random.Below(bytes.size() + 1);
            bytes.insert(at, bytes.substr(from, random.Below(256)));
            break;
        }
        default:
            // A length field set to anything at all.
            if (bytes.size() >= at + 4) {
                for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(random.Below(256));
            }
            break;
    }
}

void ExpectConsistent(const JournalContents& c) {
    EXPECT_FALSE(c.laterVersion && (c.damaged || c.readable || c.headerTorn));
    EXPECT_FALSE(c.headerTorn && (c.damaged || c.readable));
    if (c.planComplete) EXPECT_EQ(c.outcomes.size(), c.plan.size());
    if (!c.planComplete) EXPECT_TRUE(c.outcomes.empty());
    for (const StepRecord& step : c.openSteps) {
        EXPECT_GE(static_cast<int>(step.kind), 1);
        EXPECT_LE(static_cast<int>(step.kind), 4);
    }
}

TEST(JournalReaderProperty, AnyBytesReadWithoutFailingAndHangTogether) {
    const std::string original = Journal();
    platform::testing::TempFolder temp;
    const std::string path = temp / "run.journal";
    Random random(20261211);
    int damaged = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = original;
        const size_t mutations = random.Below(4) + 1;
        for (size_t m = 0; m < mutations; ++m) Mutate(bytes, random);
        const JournalContents contents = ParseJournal(bytes);
        ExpectConsistent(contents);
        damaged += contents.damaged;
        if (round % 64 == 0) {
            ASSERT_TRUE(platform::testing::WriteFile(path, bytes));
            chmod(path.c_str(), 0600);
            const JournalContents fromFile = ReadJournalFile(path);
            EXPECT_EQ(fromFile.damaged, contents.damaged) << round;
            EXPECT_EQ(fromFile.readable, contents.readable) << round;
            EXPECT_EQ(fromFile.plan, contents.plan) << round;
            EXPECT_EQ(fromFile.finished, contents.finished) << round;
        }
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "round " << round;
            return;
        }
    }
    // The mutations reach past the frames.
    EXPECT_GT(damaged, 10000);
}

}  // namespace
}  // namespace kestrix::run
