#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media_files.h"
#include "session/metadata_cache.h"
#include "session/metadata_job.h"
#include "session/session.h"
#include "test_support.h"

namespace kestrix::session {
namespace {

using platform::DateTakenField;
using platform::DateTime;
using platform::ItemMetadata;
using platform::MetadataFields;
using platform::MetadataStamp;
using platform::testing::TempFolder;
using platform::testing::WriteFile;

void SetModified(const std::string& path, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A second read comes from the cache while the item is unchanged, whatever
// its bytes now say; once its size or modification time changes it is read
// again. A renamed item is still known.
TEST(MetadataCache, ReadsAgainOnlyWhatChanged) {
    TempFolder temp;
    const std::string path = temp / "a.jpg";
    media::MakeJpeg(path, {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}});
    SetModified(path, 1700000000);
    MetadataCache cache;
    EXPECT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2024, 7, 15, 10, 20, 30}));

    // The same size and modification time: the cache answers.
    media::MakeJpeg(path, {{"Exif.Photo.DateTimeOriginal", "2023:01:01 00:00:00"}});
    SetModified(path, 1700000000);
    EXPECT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2024, 7, 15, 10, 20, 30}));

    SetModified(path, 1700000001);
    EXPECT_FALSE(cache.cachedFieldsOf(path, DateTakenField));
    EXPECT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2023, 1, 1, 0, 0, 0}));

    media::MakeJpeg(path,
                    {{"Exif.Photo.DateTimeDigitized", "2022:02:02 02:02:02"}, {"Exif.Image.Model", "Z"}});
    SetModified(path, 1700000001);
    EXPECT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2022, 2, 2, 2, 2, 2}));

    ASSERT_EQ(std::rename(path.c_str(), (temp / "b.jpg").c_str()), 0);
    const std::optional<ItemMetadata> renamed = cache.cachedFieldsOf(temp / "b.jpg", DateTakenField);
    ASSERT_TRUE(renamed);
    EXPECT_EQ(renamed->dateTaken, (DateTime{2022, 2, 2, 2, 2, 2}));
    EXPECT_EQ(cache.size(), 1u);
}

// However an item changes, a later read sees it, also where the change did
// not pass through the item's watched folder.
struct ChangeCase {
    const char* name;
    bool linked;                                // a second name `folder`/linked.jpg
    void (*change)(const std::string& folder);  // `folder`/top/sub/a.jpg was read
};

void MakeDated(const std::string& path, const char* date) {
    media::MakeJpeg(path, {{"Exif.Photo.DateTimeOriginal", date}});
    SetModified(path, 1700000000);
}

const ChangeCase kChanges[] = {
    {"RewrittenWithNewTime", false,
     [](const std::string& f) {
         MakeDated(f + "/top/sub/a.jpg", "2023:01:01 00:00:00");
         SetModified(f + "/top/sub/a.jpg", 1700000001);
     }},
    {"ReplacedByRename", false,
     [](const std::string& f) {
         MakeDated(f + "/new.jpg", "2023:01:01 00:00:00");
         std::rename((f + "/new.jpg").c_str(), (f + "/top/sub/a.jpg").c_str());
     }},
    {"FolderAboveReplaced", false,
     [](const std::string& f) {
         std::rename((f + "/top").c_str(), (f + "/old").c_str());
         mkdir((f + "/top").c_str(), 0755);
         mkdir((f + "/top/sub").c_str(), 0755);
         MakeDated(f + "/top/sub/a.jpg", "2023:01:01 00:00:00");
     }},
    {"ChangedThroughAnotherName", true,
     [](const std::string& f) {
         MakeDated(f + "/elsewhere.jpg", "2023:01:01 00:00:00");
         const std::string bytes = media::ReadBytes(f + "/elsewhere.jpg");
         std::ofstream(f + "/linked.jpg", std::ios::binary | std::ios::in | std::ios::out) << bytes;
         SetModified(f + "/linked.jpg", 1700000002);
     }},
};

class MetadataCacheChange : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(MetadataCacheChange, IsSeenByTheNextRead) {
    TempFolder temp;
    const std::string folder = temp.path();
    mkdir((folder + "/top").c_str(), 0755);
    mkdir((folder + "/top/sub").c_str(), 0755);
    const std::string path = folder + "/top/sub/a.jpg";
    MakeDated(path, "2024:07:15 10:20:30");
    if (GetParam().linked) {
        ASSERT_EQ(link(path.c_str(), (folder + "/linked.jpg").c_str()), 0);
    }
    MetadataCache cache;
    cache.fieldsOf(path, DateTakenField);
    ASSERT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2024, 7, 15, 10, 20, 30}));

    GetParam().change(folder);
    EXPECT_EQ(cache.fieldsOf(path, DateTakenField).dateTaken, (DateTime{2023, 1, 1, 0, 0, 0}));
}

INSTANTIATE_TEST_SUITE_P(Changes, MetadataCacheChange, ::testing::ValuesIn(kChanges),
                         [](const auto& info) { return std::string(info.param.name); });

// Asking for more fields of a known item reads only those it lacks.
TEST(MetadataCache, ReadsOnlyTheMissingFields) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "a.mp3", "x"));
    std::vector<MetadataFields> asked;
    MetadataCache cache([&](const std::string& path, const MetadataStamp& stamp, MetadataFields wanted) {
        asked.push_back(wanted);
        return platform::ReadItemMetadata(path, stamp, wanted);
    });
    cache.fieldsOf(temp / "a.mp3", DateTakenField);
    cache.fieldsOf(temp / "a.mp3", DateTakenField | platform::ArtistField);
    const ItemMetadata all = cache.fieldsOf(temp / "a.mp3", DateTakenField | platform::ArtistField);
    EXPECT_EQ(asked, (std::vector<MetadataFields>{DateTakenField, platform::ArtistField}));
    EXPECT_EQ(all.asked, DateTakenField | platform::ArtistField);
}

// Holds every read until the test opens the gate.
class Gate {
public:
    ItemMetadata read(const std::string& path, const MetadataStamp& stamp, MetadataFields wanted) {
        std::unique_lock lock(mutex_);
        ++waiting_;
        waited_.notify_all();
        opened_.wait(lock, [this] { return open_; });
        return platform::ReadItemMetadata(path, stamp, wanted);
    }
    void waitForReaders(int count) {
        std::unique_lock lock(mutex_);
        waited_.wait(lock, [&] { return waiting_ >= count; });
    }
    void open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        opened_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable opened_;
    std::condition_variable waited_;
    int waiting_ = 0;
    bool open_ = false;
};

class MetadataJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 40; ++i) {
            paths.push_back(temp / (std::to_string(i) + ".jpg"));
            std::string date = "2024:07:";
            date += std::to_string(10 + i % 20);
            date += " 10:20:30";
            media::MakeJpeg(paths.back(), {{"Exif.Photo.DateTimeOriginal", date}});
        }
    }
    // Lets the job's queued signals through until it has ended.
    static void WaitForEnd(const MetadataJob& job) {
        while (!job.hasEnded()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }

    int argc = 1;
    char name[8] = "session";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    TempFolder temp;
    std::vector<std::string> paths;
};

TEST_F(MetadataJobTest, ReadsEveryPathInOrderAndSignalsItsEnd) {
    MetadataCache cache;
    MetadataJob job(cache, paths, DateTakenField);
    std::vector<std::pair<qint64, qint64>> progress;
    std::vector<bool> ends;
    QObject::connect(&job, &MetadataJob::progress,
                     [&](qint64 done, qint64 total) { progress.emplace_back(done, total); });
    QObject::connect(&job, &MetadataJob::ended, [&](bool completed) { ends.push_back(completed); });
    job.start();
    WaitForEnd(job);

    EXPECT_EQ(ends, std::vector<bool>{true});
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), (std::pair<qint64, qint64>(40, 40)));
    ASSERT_EQ(job.results().size(), 40u);
    EXPECT_EQ(job.results()[0]->dateTaken, (DateTime{2024, 7, 10, 10, 20, 30}));
    EXPECT_EQ(job.results()[39]->dateTaken, (DateTime{2024, 7, 29, 10, 20, 30}));
    EXPECT_EQ(cache.size(), 40u);
}

TEST_F(MetadataJobTest, StopsAfterTheItemsBeingRead) {
    Gate gate;
    MetadataCache cache(
        [&](const std::string& p, const MetadataStamp& s, MetadataFields w) { return gate.read(p, s, w); });
    MetadataJob job(cache, paths, DateTakenField);
    std::vector<bool> ends;
    QObject::connect(&job, &MetadataJob::ended, [&](bool completed) { ends.push_back(completed); });
    job.start(2);
    gate.waitForReaders(2);
    job.stop();
    gate.open();
    WaitForEnd(job);

    EXPECT_EQ(ends, std::vector<bool>{false});
    EXPECT_FALSE(job.completed());
    EXPECT_EQ(job.done(), 2);
    int read = 0;
    for (const MetadataCache::Shared& one : job.results())
        read += one && one->asked == DateTakenField ? 1 : 0;
    EXPECT_EQ(read, 2);
}

// The session reads the entries' current paths, and ends a job it was asked
// to wait for before returning.
TEST_F(MetadataJobTest, SessionGivesTheDatesOfRows) {
    WriteFile(temp / "note.jpg", "text");
    Session session;
    session.addPath(paths[3]);
    session.addPath(temp / "note.jpg");
    session.addPath(paths[0]);
    EXPECT_EQ(session.dateTakenOf({2, 1, 0}),
              (std::vector<std::optional<DateTime>>{DateTime{2024, 7, 10, 10, 20, 30}, std::nullopt,
                                                    DateTime{2024, 7, 13, 10, 20, 30}}));
    EXPECT_EQ(session.metadataCache().size(), 3u);
}

}  // namespace
}  // namespace kestrix::session
