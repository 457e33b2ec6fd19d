// What a power loss could leave of a journal is what was synced, in the
// order the syncs came. Watched through the platform layer's disk steps:
// every rename of an item must find a synced journal that plans it (under a
// synced folder entry), and the journal becomes the finished one only once
// its synced part says the run finished.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/disk_steps.h"
#include "run/journal_format.h"
#include "run/journal_store.h"
#include "run_fixture.h"

namespace kestrix::run::testing {
namespace {

struct Watched {
    std::string journalFolder;
    std::string synced;         // the journal's bytes as of its last sync
    bool inPlace = false;       // the journal has its name in the folder
    bool folderSynced = false;  // ... and that name is durable
    int itemRenames = 0;
    int finishedNames = 0;
    std::vector<std::string> faults;
};

Watched* watched = nullptr;

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void Watch(platform::DiskStep step, const std::string& path) {
    if (!watched) return;
    Watched& w = *watched;
    switch (step) {
        case platform::DiskStep::WriteFile:
            break;
        case platform::DiskStep::SyncFile:
            if (path.rfind(w.journalFolder, 0) == 0) w.synced = ReadFile(path);
            break;
        case platform::DiskStep::SyncFolder:
            if (w.inPlace && path + (EndsWith(path, "/") ? "" : "/") == w.journalFolder)
                w.folderSynced = true;
            break;
        case platform::DiskStep::RenameOwnFile:
            if (EndsWith(path, ".journal")) {
                w.inPlace = true;
                w.folderSynced = false;
            } else if (EndsWith(path, ".done")) {
                ++w.finishedNames;
                if (!ParseJournal(w.synced).finished)
                    w.faults.push_back("finished journal named before its end was synced");
            }
            break;
        case platform::DiskStep::RenameItem: {
            ++w.itemRenames;
            if (!w.folderSynced)
                w.faults.push_back("renamed " + path + " before the journal's name was synced");
            const JournalContents contents = ParseJournal(w.synced);
            bool planned = false;
            for (const PlanEntry& entry : contents.plan) planned = planned || entry.proposed == path;
            if (!contents.planComplete || !planned)
                w.faults.push_back("renamed to " + path + " before the plan naming it was synced");
            break;
        }
    }
}

class DurabilityTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        watched_.journalFolder = journals();
        watched = &watched_;
        platform::SetDiskStepWatch(Watch);
    }
    void TearDown() override {
        platform::SetDiskStepWatch(nullptr);
        watched = nullptr;
    }

    Watched watched_;
};

TEST_F(DurabilityTest, EveryRenameFindsItsPlanSyncedAndTheEndIsSyncedBeforeTheJournalIsFinished) {
    makeTree({"a", "b", "c"});
    std::vector<ListEntry> list = entries({{"a", "a1"}, {"b", "b1"}, {"c", "c1"}});
    RenameRun renameRun(journals(), 0);
    ASSERT_TRUE(renameRun.beginListRun(list));
    Collector collector;
    collector.live = &list;
    // The options change after the first rename: the next renames go to
    // names only the change of plan holds.
    collector.afterEntry = [&](std::int64_t index) {
        if (index == 0) {
            list[1].proposed = at("b2");
            list[2].proposed = at("c2");
        }
    };
    renameRun.execute(collector);

    EXPECT_EQ(tree(), (std::map<std::string, std::string>{{"a1", "<a>"}, {"b2", "<b>"}, {"c2", "<c>"}}));
    EXPECT_EQ(watched_.itemRenames, 3);
    EXPECT_EQ(watched_.finishedNames, 1);
    for (const std::string& fault : watched_.faults) ADD_FAILURE() << fault;
}

}  // namespace
}  // namespace kestrix::run::testing
