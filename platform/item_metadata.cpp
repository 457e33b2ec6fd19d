#include "item_metadata.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <mutex>
#include <string_view>

#include <sys/stat.h>

// exiv2 0.27 hands its objects out in std::auto_ptr, deprecated since C++11.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>
#pragma GCC diagnostic pop
#include <taglib/fileref.h>
#include <taglib/tag.h>
#include <taglib/tdebuglistener.h>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace kestrix::platform {

namespace {

// Silences TagLib's complaints about broken files: a file without tags is an
// answer, not an error.
class QuietTagLib : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

// The XMP toolkit inside exiv2 is not safe for threads of its own; exiv2 takes
// this lock around it when it is given one.
void LockXmp(void* mutex, bool lock) {
    auto* m = static_cast<std::mutex*>(mutex);
    if (lock)
        m->lock();
    else
        m->unlock();
}

// The libraries' process-wide settings, made once before the first read.
void PrepareLibraries() {
    static std::once_flag once;
    static std::mutex xmpMutex;
    static QuietTagLib quiet;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(LockXmp, &xmpMutex);
        Exiv2::enableBMFF(true);
        TagLib::setDebugListener(&quiet);
    });
}

int Digits(std::string_view text, std::size_t from, std::size_t count) {
    if (from + count > text.size()) return -1;
    int value = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int DaysIn(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// The picture formats whose headers carry EXIF or XMP; the video containers
// and the formats without either are left alone.
bool IsPictureType(int type) {
    namespace T = Exiv2::ImageType;
    switch (type) {
        case T::jpeg:
        case T::tiff:
        case T::cr2:
        case T::crw:
        case T::mrw:
        case T::orf:
        case T::raf:
        case T::rw2:
        case T::png:
        case T::webp:
        case T::bmff:
        case T::jp2:
        case T::psd:
        case T::pgf:
            return true;
        default:
            return false;
    }
}

std::optional<std::string> Trimmed(std::string text) {
    const auto last = text.find_last_not_of(std::string_view(" \t\r\n\0", 5));
    if (last == std::string::npos) return std::nullopt;
    text.erase(last + 1);
    const auto first = text.find_first_not_of(" \t");
    return text.substr(first);
}

template <typename Data, typename Key>
std::optional<std::string> TextOf(const Data& data, const char* key) {
    const auto it = data.findKey(Key(key));
    if (it == data.end() || it->count() == 0) return std::nullopt;
    return Trimmed(it->toString());
}

std::optional<std::string> ExifOrXmp(const Exiv2::Image& image, const char* exifKey, const char* xmpKey) {
    if (auto text = TextOf<Exiv2::ExifData, Exiv2::ExifKey>(image.exifData(), exifKey)) return text;
    return TextOf<Exiv2::XmpData, Exiv2::XmpKey>(image.xmpData(), xmpKey);
}

std::optional<DateTime> DateTaken(const Exiv2::Image& image) {
    static constexpr const char* kExif[] = {"Exif.Photo.DateTimeOriginal", "Exif.Photo.DateTimeDigitized"};
    static constexpr const char* kXmp[] = {"Xmp.exif.DateTimeOriginal", "Xmp.xmp.CreateDate"};
    for (int i = 0; i < 2; ++i) {
        if (auto text = TextOf<Exiv2::ExifData, Exiv2::ExifKey>(image.exifData(), kExif[i]))
            if (auto date = ParseMetadataDate(*text)) return date;
        if (auto text = TextOf<Exiv2::XmpData, Exiv2::XmpKey>(image.xmpData(), kXmp[i]))
            if (auto date = ParseMetadataDate(*text)) return date;
    }
    return std::nullopt;
}

void ForgetPicture(ItemMetadata& out) {
    out.dateTaken.reset();
    out.cameraMake.reset();
    out.cameraModel.reset();
    out.lensModel.reset();
    out.pixelWidth.reset();
    out.pixelHeight.reset();
}

void ReadPicture(const std::string& path, MetadataFields wanted, ItemMetadata& out) {
    // exiv2 reports a broken file by throwing; anything it throws means the
    // file says nothing. The type is asked first, which throws nowhere, so
    // that the common case of a file that is no picture costs no exception.
    try {
        Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(path));
        if (!IsPictureType(Exiv2::ImageFactory::getType(*io))) return;
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
        if (image.get() == nullptr) return;
        image->readMetadata();
        if (wanted & DateTakenField) out.dateTaken = DateTaken(*image);
        if (wanted & CameraMakeField) out.cameraMake = ExifOrXmp(*image, "Exif.Image.Make", "Xmp.tiff.Make");
        if (wanted & CameraModelField)
            out.cameraModel = ExifOrXmp(*image, "Exif.Image.Model", "Xmp.tiff.Model");
        if (wanted & LensModelField)
            out.lensModel = ExifOrXmp(*image, "Exif.Photo.LensModel", "Xmp.exifEX.LensModel");
        if ((wanted & PixelSizeField) && image->pixelWidth() > 0 && image->pixelHeight() > 0) {
            out.pixelWidth = image->pixelWidth();
            out.pixelHeight = image->pixelHeight();
        }
    } catch (const Exiv2::AnyError&) {
        ForgetPicture(out);
    } catch (const std::exception&) {
        ForgetPicture(out);
    }
}

bool HasAudioExtension(const std::string& path) {
    const auto slash = path.rfind('/');
    const auto dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension.empty()) return false;
    static const TagLib::StringList known = TagLib::FileRef::defaultFileExtensions();
    return known.contains(TagLib::String(extension));
}

std::optional<std::string> TagText(const TagLib::String& text) {
    if (text.isEmpty()) return std::nullopt;
    return Trimmed(text.to8Bit(true));
}

void ReadAudio(const std::string& path, MetadataFields wanted, ItemMetadata& out) {
    // TagLib picks its reader by the extension; a file of another kind is
    // left alone rather than searched through for something that looks like
    // a frame.
    if (!HasAudioExtension(path)) return;
    try {
        const TagLib::FileRef file(path.c_str(), false);
        if (file.isNull() || file.tag() == nullptr) return;
        const TagLib::Tag& tag = *file.tag();
        if (wanted & ArtistField) out.artist = TagText(tag.artist());
        if (wanted & TitleField) out.title = TagText(tag.title());
        if (wanted & AlbumField) out.album = TagText(tag.album());
        if ((wanted & TrackField) && tag.track() > 0) out.track = static_cast<int>(tag.track());
        if ((wanted & YearField) && tag.year() > 0) out.year = static_cast<int>(tag.year());
    } catch (const std::exception&) {
        out.artist.reset();
        out.title.reset();
        out.album.reset();
        out.track.reset();
        out.year.reset();
    }
}

}  // namespace

std::optional<DateTime> ParseMetadataDate(const std::string& text) {
    // YYYY:MM:DD HH:MM:SS, or YYYY-MM-DDTHH:MM with optional :SS.
    const std::string_view t(text);
    if (t.size() < 16) return std::nullopt;
    const char dateMark = t[4];
    if ((dateMark != ':' && dateMark != '-') || t[7] != dateMark) return std::nullopt;
    if (t[10] != (dateMark == ':' ? ' ' : 'T') || t[13] != ':') return std::nullopt;
    DateTime d;
    d.year = Digits(t, 0, 4);
    d.month = Digits(t, 5, 2);
    d.day = Digits(t, 8, 2);
    d.hour = Digits(t, 11, 2);
    d.minute = Digits(t, 14, 2);
    if (t.size() >= 19 && t[16] == ':')
        d.second = Digits(t, 17, 2);
    else if (dateMark == ':')
        return std::nullopt;
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > DaysIn(d.year, d.month))
        return std::nullopt;
    if (d.hour < 0 || d.hour > 23 || d.minute < 0 || d.minute > 59 || d.second < 0 || d.second > 60)
        return std::nullopt;
    return d;
}

std::optional<MetadataStamp> StampOf(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return std::nullopt;
    MetadataStamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.regularFile = S_ISREG(st.st_mode);
    return stamp;
}

ItemMetadata ReadItemMetadata(const std::string& path, const MetadataStamp& stamp, MetadataFields wanted) {
    ItemMetadata out;
    out.asked = wanted;
    if (wanted & SizeField) out.size = stamp.size;
    if (wanted & ModifiedField) out.modifiedNs = stamp.modifiedNs;
    // Folders, devices and pipes say nothing, and a pipe would never end.
    if (!(wanted & (kPictureFields | kAudioFields)) || !stamp.regularFile) return out;
    PrepareLibraries();
    if (wanted & kPictureFields) ReadPicture(path, wanted, out);
    if (wanted & kAudioFields) ReadAudio(path, wanted, out);
    return out;
}

ItemMetadata ReadItemMetadata(const std::string& path, MetadataFields wanted) {
    const std::optional<MetadataStamp> stamp = StampOf(path);
    if (!stamp) {
        ItemMetadata out;
        out.asked = wanted;
        return out;
    }
    return ReadItemMetadata(path, *stamp, wanted);
}

}  // namespace kestrix::platform
