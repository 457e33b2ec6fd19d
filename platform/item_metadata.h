#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/item_facts.h"

namespace kestrix::platform {

// What a file can say about itself, one bit each, so that a caller asks only
// for what it needs: a sort by date taken opens no audio tags, a sort by size
// opens nothing at all.
enum MetadataField : std::uint32_t {
    // From the item itself (one stat).
    SizeField = 1u << 0,
    ModifiedField = 1u << 1,
    // From the EXIF and XMP of a picture (exiv2).
    DateTakenField = 1u << 2,
    CameraMakeField = 1u << 3,
    CameraModelField = 1u << 4,
    LensModelField = 1u << 5,
    PixelSizeField = 1u << 6,
    // From the tags of a sound file (TagLib).
    ArtistField = 1u << 8,
    TitleField = 1u << 9,
    AlbumField = 1u << 10,
    TrackField = 1u << 11,
    YearField = 1u << 12,
};
using MetadataFields = std::uint32_t;

constexpr MetadataFields kItemFields = SizeField | ModifiedField;
constexpr MetadataFields kPictureFields =
    DateTakenField | CameraMakeField | CameraModelField | LensModelField | PixelSizeField;
constexpr MetadataFields kAudioFields = ArtistField | TitleField | AlbumField | TrackField | YearField;
constexpr MetadataFields kAllMetadataFields = kItemFields | kPictureFields | kAudioFields;

// A date and time as a camera writes it: local time, no zone.
using DateTime = ::kestrix::DateTime;

// Parses "YYYY:MM:DD HH:MM:SS" (EXIF) or "YYYY-MM-DDTHH:MM[:SS]..." (XMP, any
// zone or fraction after it ignored). None for the blanks cameras write
// ("0000:00:00 00:00:00", spaces) and for dates that cannot be.
std::optional<DateTime> ParseMetadataDate(const std::string& text);

// Who an item is, as far as the cache of what it says is concerned: a file
// whose size or modification time changed is read again.
struct MetadataStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0;
    bool regularFile = false;  // only regular files are opened

    friend bool operator==(const MetadataStamp&, const MetadataStamp&) = default;
};

// The stamp of the item at `path` (links followed: what is read is the file
// they lead to); none when nothing can be asked about it.
std::optional<MetadataStamp> StampOf(const std::string& path);

// What was read of one item. A field that was asked for and is absent (the
// file lacks it, cannot be read, is truncated, or is not what its name says)
// is left empty; `asked` tells which fields a read covered.
struct ItemMetadata {
    MetadataFields asked = 0;

    std::optional<std::uint64_t> size;
    std::optional<std::int64_t> modifiedNs;  // since the epoch

    // EXIF DateTimeOriginal, else its XMP twin, else EXIF CreateDate
    // (DateTimeDigitized), else XMP's CreateDate.
    std::optional<DateTime> dateTaken;
    std::optional<std::string> cameraMake;
    std::optional<std::string> cameraModel;
    std::optional<std::string> lensModel;
    std::optional<int> pixelWidth;
    std::optional<int> pixelHeight;

    std::optional<std::string> artist;
    std::optional<std::string> title;
    std::optional<std::string> album;
    std::optional<int> track;
    std::optional<int> year;
};

// Reads the `wanted` fields of the file at `path`, which has the stamp
// `stamp` (the size and modification time come from it). Pictures through
// exiv2: JPEG, TIFF, PNG, WebP, the raw formats it knows, and HEIF/AVIF/CR3
// (ISO base media) where their EXIF or XMP is stored as items. Sound files
// through TagLib, chosen by the name's extension and then checked against
// the contents. Only the headers are read, never the picture or the sound.
// Never throws; safe to call from several threads at once.
ItemMetadata ReadItemMetadata(const std::string& path, const MetadataStamp& stamp, MetadataFields wanted);

// The same with the stamp taken here; a path that leads nowhere gives
// nothing but `asked`.
ItemMetadata ReadItemMetadata(const std::string& path, MetadataFields wanted);

}  // namespace kestrix::platform
