#include "item_metadata.h"

#include <optional>
#include <string>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "media_files.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::TempFolder;
using testing::WriteFile;

struct DateCase {
    const char* name;
    const char* file;  // the name the file is given
    // How the file is made in the folder `temp`.
    void (*make)(const std::string& path);
    std::optional<DateTime> dateTaken;
};

std::string Truncated(const std::string& bytes, std::size_t size) { return bytes.substr(0, size); }

const DateCase kDateCases[] = {
    {"Original", "a.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}});
     },
     DateTime{2024, 7, 15, 10, 20, 30}},
    {"OriginalBeforeCreateDate", "b.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeDigitized", "2023:01:02 03:04:05"},
                             {"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}});
     },
     DateTime{2024, 7, 15, 10, 20, 30}},
    {"OnlyCreateDate", "c.JPG",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeDigitized", "2023:01:02 03:04:05"}});
     },
     DateTime{2023, 1, 2, 3, 4, 5}},
    {"XmpOriginal", "d.jpeg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Xmp.exif.DateTimeOriginal", "2022-12-31T23:59:58+01:00"}});
     },
     DateTime{2022, 12, 31, 23, 59, 58}},
    {"BlankOriginalThenCreateDate", "e.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeOriginal", "0000:00:00 00:00:00"},
                             {"Exif.Photo.DateTimeDigitized", "2023:01:02 03:04:05"}});
     },
     DateTime{2023, 1, 2, 3, 4, 5}},
    {"None", "f.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Image.Model", "X100"}});
     },
     std::nullopt},
    {"ImpossibleDate", "g.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeOriginal", "2023:02:29 10:00:00"}});
     },
     std::nullopt},
    {"Png", "h.png",
     [](const std::string& p) {
         media::MakePicture(Exiv2::ImageType::png, p,
                            {{"Exif.Photo.DateTimeOriginal", "2021:05:06 07:08:09"}});
     },
     DateTime{2021, 5, 6, 7, 8, 9}},
    {"Tiff", "i.tif",
     [](const std::string& p) {
         media::MakePicture(Exiv2::ImageType::tiff, p,
                            {{"Exif.Photo.DateTimeOriginal", "2020:02:29 00:00:00"}});
     },
     DateTime{2020, 2, 29, 0, 0, 0}},
    {"Heif", "q.heic",
     [](const std::string& p) {
         media::MakeIsoMedia(p, "heic", {{"Exif.Photo.DateTimeOriginal", "2019:03:04 05:06:07"}});
     },
     DateTime{2019, 3, 4, 5, 6, 7}},
    {"Avif", "r.avif",
     [](const std::string& p) {
         media::MakeIsoMedia(p, "avif", {{"Exif.Photo.DateTimeDigitized", "2018:01:02 03:04:05"}});
     },
     DateTime{2018, 1, 2, 3, 4, 5}},
    // A JPEG cut off inside its EXIF, and one whose EXIF block is garbage.
    {"Truncated", "j.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}});
         WriteFile(p, Truncated(media::ReadBytes(p), 40));
     },
     std::nullopt},
    {"GarbledExif", "k.jpg",
     [](const std::string& p) {
         media::MakeJpeg(p, {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}});
         std::string bytes = media::ReadBytes(p);
         for (std::size_t i = 12; i < 60 && i < bytes.size(); ++i) bytes[i] = static_cast<char>(0xA5 ^ i);
         WriteFile(p, bytes);
     },
     std::nullopt},
    {"TextNamedJpeg", "l.jpg", [](const std::string& p) { WriteFile(p, "not a picture\n"); }, std::nullopt},
    {"Empty", "m.jpg", [](const std::string& p) { WriteFile(p, ""); }, std::nullopt},
    {"Folder", "n.jpg", [](const std::string& p) { mkdir(p.c_str(), 0755); }, std::nullopt},
    // Opening a pipe would wait for a writer for ever.
    {"Pipe", "o.jpg", [](const std::string& p) { mkfifo(p.c_str(), 0644); }, std::nullopt},
    {"Missing", "p.jpg", [](const std::string&) {}, std::nullopt},
};

class DateTaken : public ::testing::TestWithParam<DateCase> {};

TEST_P(DateTaken, IsTheOriginalElseTheCreateDateElseNone) {
    TempFolder temp;
    const std::string path = temp / GetParam().file;
    GetParam().make(path);
    const ItemMetadata read = ReadItemMetadata(path, DateTakenField);
    EXPECT_EQ(read.asked, DateTakenField);
    EXPECT_EQ(read.dateTaken, GetParam().dateTaken);
}

INSTANTIATE_TEST_SUITE_P(Files, DateTaken, ::testing::ValuesIn(kDateCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseMetadataDate, ReadsBothFormsAndRefusesTheRest) {
    const struct {
        const char* text;
        std::optional<DateTime> date;
    } cases[] = {
        {"2024:07:15 10:20:30", DateTime{2024, 7, 15, 10, 20, 30}},
        {"2024-07-15T10:20", DateTime{2024, 7, 15, 10, 20, 0}},
        {"2024-07-15T10:20:30.25Z", DateTime{2024, 7, 15, 10, 20, 30}},
        {"2024:07:15 10:20", std::nullopt},
        {"    :  :     :  :  ", std::nullopt},
        {"2024:13:01 00:00:00", std::nullopt},
        {"2024:04:31 00:00:00", std::nullopt},
        {"2024:07:15 24:00:00", std::nullopt},
        {"2024-07-15 10:20:30", std::nullopt},
        {"2024:07:15", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseMetadataDate(c.text), c.date) << c.text;
}

TEST(ItemMetadata, ReadsTheCameraAndThePixelSize) {
    TempFolder temp;
    const std::string path = temp / "a.jpg";
    media::MakeJpeg(path, {{"Exif.Image.Make", "Fujifilm"},
                           {"Exif.Image.Model", "X100V "},
                           {"Exif.Photo.LensModel", "23mm F2"}});
    const ItemMetadata read = ReadItemMetadata(path, kPictureFields);
    EXPECT_EQ(read.cameraMake, "Fujifilm");
    EXPECT_EQ(read.cameraModel, "X100V");
    EXPECT_EQ(read.lensModel, "23mm F2");
    EXPECT_EQ(read.pixelWidth, 1);
    EXPECT_EQ(read.pixelHeight, 1);
    EXPECT_FALSE(read.dateTaken);
}

// Size and modification time come from the item, whatever it holds; nothing
// else is read unless asked for.
TEST(ItemMetadata, ReadsOnlyWhatIsAsked) {
    TempFolder temp;
    const std::string path = temp / "song.mp3";
    media::MakeMp3(path, {"Artysta", "Tytuł", "Album", 3, 2001});
    ASSERT_TRUE(WriteFile(temp / "x.jpg", "12345"));
    const timespec times[2] = {{1700000000, 5}, {1700000000, 5}};
    ASSERT_EQ(utimensat(AT_FDCWD, (temp / "x.jpg").c_str(), times, 0), 0);

    const ItemMetadata item = ReadItemMetadata(temp / "x.jpg", kItemFields);
    EXPECT_EQ(item.size, 5u);
    EXPECT_EQ(item.modifiedNs, 1700000000000000005);

    const ItemMetadata dateOnly = ReadItemMetadata(path, DateTakenField);
    EXPECT_FALSE(dateOnly.artist);
    EXPECT_FALSE(dateOnly.size);
    const ItemMetadata titleOnly = ReadItemMetadata(path, TitleField);
    EXPECT_EQ(titleOnly.title, "Tytuł");
    EXPECT_FALSE(titleOnly.artist);
    EXPECT_FALSE(titleOnly.year);
}

struct AudioCase {
    const char* name;
    const char* file;
    void (*make)(const std::string& path, const media::Tags& tags);
    bool tagged;
};

const AudioCase kAudioCases[] = {
    {"Mp3", "a.mp3", media::MakeMp3, true},
    {"Flac", "b.flac", media::MakeFlac, true},
    {"Ogg", "c.ogg", media::MakeOgg, true},
    {"UpperCaseExtension", "d.MP3", media::MakeMp3, true},
    {"TextNamedMp3", "e.mp3", [](const std::string& p, const media::Tags&) { WriteFile(p, "ID3 but no"); },
     false},
    {"TextNamedOgg", "f.ogg", [](const std::string& p, const media::Tags&) { WriteFile(p, "OggS\0\0\0"); },
     false},
    {"TruncatedFlac", "g.flac",
     [](const std::string& p, const media::Tags& t) {
         media::MakeFlac(p, t);
         WriteFile(p, Truncated(media::ReadBytes(p), 60));
     },
     false},
    {"Mp3NamedJpeg", "h.jpg", media::MakeMp3, false},
};

class AudioTags : public ::testing::TestWithParam<AudioCase> {};

TEST_P(AudioTags, AreReadFromSoundFilesOnly) {
    TempFolder temp;
    const std::string path = temp / GetParam().file;
    GetParam().make(path, {"Czesław Niemen", "Dziwny jest ten świat", "Sukces", 7, 1967});
    const ItemMetadata read = ReadItemMetadata(path, kAudioFields);
    if (GetParam().tagged) {
        EXPECT_EQ(read.artist, "Czesław Niemen");
        EXPECT_EQ(read.title, "Dziwny jest ten świat");
        EXPECT_EQ(read.album, "Sukces");
        EXPECT_EQ(read.track, 7);
        EXPECT_EQ(read.year, 1967);
    } else {
        EXPECT_FALSE(read.artist || read.title || read.album || read.track || read.year);
    }
}

INSTANTIATE_TEST_SUITE_P(Files, AudioTags, ::testing::ValuesIn(kAudioCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StampOf, ChangesWithSizeAndModificationTime) {
    TempFolder temp;
    const std::string path = temp / "a.jpg";
    ASSERT_TRUE(WriteFile(path, "abc"));
    const std::optional<MetadataStamp> before = StampOf(path);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 3u);
    EXPECT_TRUE(before->regularFile);

    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const std::optional<MetadataStamp> touched = StampOf(path);
    ASSERT_TRUE(touched);
    EXPECT_NE(*touched, *before);
    EXPECT_EQ(touched->inode, before->inode);
    EXPECT_FALSE(StampOf(temp / "missing"));
}

}  // namespace
}  // namespace kestrix::platform
