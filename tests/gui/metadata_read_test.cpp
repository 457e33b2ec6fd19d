#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <QListView>
#include <QTest>

#include "app/metadata_read_progress.h"
#include "gui_fixture.h"
#include "platform/item_metadata.h"
#include "session/metadata_job.h"
#include "ui/progress_gauge.h"

namespace {

using kestrix::platform::ItemMetadata;
using kestrix::platform::MetadataFields;
using kestrix::platform::MetadataStamp;

// Lets a given number of reads through and holds the rest until it is opened.
class ReadGate {
public:
    ItemMetadata read(const std::string& path, const MetadataStamp& stamp, MetadataFields wanted) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_ || allowed_ > 0; });
        if (!open_) --allowed_;
        lock.unlock();
        return kestrix::platform::ReadItemMetadata(path, stamp, wanted);
    }
    void allow(int count) {
        const std::lock_guard lock(mutex_);
        allowed_ += count;
        changed_.notify_all();
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int allowed_ = 0;
    bool open_ = false;
};

class MetadataReadTest : public GuiTest {
protected:
    std::vector<int> addFiles(int count) {
        std::vector<int> rows;
        for (int i = 0; i < count; ++i) {
            const std::string name = std::to_string(i) + ".jpg";
            makeFile(name, std::string(static_cast<size_t>(i % 7 + 1), 'x'));
            session->addPath(path(name));
            rows.push_back(i);
        }
        return rows;
    }
};

// A short read never shows the gauge, and hands over what it read in the
// order of the rows asked for.
TEST_F(MetadataReadTest, QuickReadHandsOverItsResultsWithoutTheGauge) {
    const std::vector<int> rows = addFiles(3);
    std::optional<std::vector<std::optional<std::uint64_t>>> sizes;
    mainWindow->readMetadataWithProgress({2, 0, 1}, kestrix::platform::SizeField,
                                         [&](const kestrix::session::MetadataJob& read) {
                                             sizes.emplace();
                                             for (const auto& one : read.results())
                                                 sizes->push_back(one->size);
                                         });
    QTRY_VERIFY(sizes.has_value());
    EXPECT_EQ(*sizes, (std::vector<std::optional<std::uint64_t>>{3, 1, 2}));
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
    EXPECT_EQ(mainWindow->metadataRead(), nullptr);
}

// A read that lasts shows its progress after half a second while the window
// goes on, and Escape stops it: no answer comes and the gauge goes.
TEST_F(MetadataReadTest, LongReadShowsTheGaugeAndEscapeStopsIt) {
    const std::vector<int> rows = addFiles(200);
    ReadGate gate;
    session->metadataCache().setReader(
        [&](const std::string& p, const MetadataStamp& s, MetadataFields w) { return gate.read(p, s, w); });
    mainWindow->show();
    mainWindow->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(mainWindow));

    bool answered = false;
    mainWindow->readMetadataWithProgress(rows, kestrix::platform::DateTakenField,
                                         [&](const kestrix::session::MetadataJob&) { answered = true; });
    MetadataReadProgress* read = mainWindow->metadataRead();
    ASSERT_NE(read, nullptr);
    gate.allow(50);
    QTRY_COMPARE(read->job().done(), 50);
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(!mainWindow->progressGauge->isHidden(), 3000);
    QTRY_COMPARE(mainWindow->progressGauge->progress(), 25);

    QTest::keyClick(mainWindow->fileListView, Qt::Key_Escape);
    gate.open();
    QTRY_VERIFY(mainWindow->metadataRead() == nullptr);
    EXPECT_TRUE(mainWindow->progressGauge->isHidden());
    EXPECT_FALSE(answered);
    EXPECT_EQ(mainWindow->progressGauge->progress(), 0);
}

}  // namespace
