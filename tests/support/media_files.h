#pragma once

// Small pictures and sound files with known metadata, made by the tests
// themselves: a blank JPEG from exiv2's own writer with the EXIF fields a
// test names, and MP3, FLAC and Ogg Vorbis files with the tags it names.

#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#pragma GCC diagnostic pop

namespace media {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

using Fields = std::vector<std::pair<std::string, std::string>>;

// A blank 1x1 picture of exiv2's type `type` (Exiv2::ImageType::jpeg, png,
// tiff) with the EXIF and XMP keys and values given, e.g.
// {"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"}.
inline void MakePicture(int type, const std::string& path, const Fields& fields) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Exiv2::Image::AutoPtr image;
    if (type == Exiv2::ImageType::tiff) {
        // exiv2 makes no blank TIFF: a header and a directory that holds the
        // width and height, 1 each.
        WriteBytes(path, std::string("II*\0\x08\0\0\0\x02\0"
                                     "\x00\x01\x03\0\x01\0\0\0\x01\0\0\0"
                                     "\x01\x01\x03\0\x01\0\0\0\x01\0\0\0"
                                     "\0\0\0\0",
                                     38));
        image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
    } else {
        image = Exiv2::ImageFactory::create(type, path);
    }
    Exiv2::ExifData exif;
    Exiv2::XmpData xmp;
    for (const auto& [key, value] : fields) {
        if (key.starts_with("Xmp."))
            xmp[key] = value;
        else
            exif[key] = value;
    }
    image->setExifData(exif);
    image->setXmpData(xmp);
    image->writeMetadata();
#pragma GCC diagnostic pop
}

inline void MakeJpeg(const std::string& path, const Fields& fields = {}) {
    MakePicture(Exiv2::ImageType::jpeg, path, fields);
}

// The same bytes as the file at `path`, for making many files fast.
inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string BigEndian32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
    return bytes;
}

inline std::string BigEndian16(std::uint16_t value) {
    return std::string{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

inline std::string IsoBox(const std::string& type, const std::string& body) {
    return BigEndian32(static_cast<std::uint32_t>(8 + body.size())) + type + body;
}

inline std::string IsoFullBox(const std::string& type, char version, const std::string& body) {
    return IsoBox(type, std::string{version, 0, 0, 0} + body);
}

// An ISO base media file of brand `brand` ("heic", "avif") that holds only
// an Exif item with the EXIF keys and values given, as a phone stores them.
inline void MakeIsoMedia(const std::string& path, const std::string& brand, const Fields& fields) {
    Exiv2::ExifData exif;
    for (const auto& [key, value] : fields) exif[key] = value;
    Exiv2::Blob tiff;
    Exiv2::ExifParser::encode(tiff, Exiv2::littleEndian, exif);
    const std::string item = BigEndian32(0) + std::string(tiff.begin(), tiff.end());
    const std::string type = IsoBox("ftyp", brand + BigEndian32(0) + "mif1" + brand);
    const std::string handler = IsoFullBox("hdlr", 0, BigEndian32(0) + "pict" + std::string(13, '\0'));
    const std::string info = IsoFullBox(
        "iinf", 0, BigEndian16(1) + IsoFullBox("infe", 2, BigEndian16(1) + BigEndian16(0) + "Exif" + '\0'));
    const auto meta = [&](std::uint32_t offset) {
        const std::string location = IsoFullBox("iloc", 0,
                                                std::string{'\x44', '\0'} + BigEndian16(1) + BigEndian16(1) +
                                                    BigEndian16(0) + BigEndian16(1) + BigEndian32(offset) +
                                                    BigEndian32(static_cast<std::uint32_t>(item.size())));
        return IsoFullBox("meta", 0, handler + info + location);
    };
    const auto offset = static_cast<std::uint32_t>(type.size() + meta(0).size() + 8);
    WriteBytes(path, type + meta(offset) + IsoBox("mdat", item));
}

struct Tags {
    std::string artist;
    std::string title;
    std::string album;
    unsigned track = 0;
    unsigned year = 0;
};

// Four silent MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz) with an ID3v2
// tag written by TagLib.
inline void MakeMp3(const std::string& path, const Tags& tags) {
    std::string frame(417, '\0');
    frame[0] = '\xFF';
    frame[1] = '\xFB';
    frame[2] = '\x90';
    frame[3] = '\x00';
    WriteBytes(path, frame + frame + frame + frame);
    TagLib::MPEG::File file(path.c_str(), false);
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    tag->setArtist(TagLib::String(tags.artist, TagLib::String::UTF8));
    tag->setTitle(TagLib::String(tags.title, TagLib::String::UTF8));
    tag->setAlbum(TagLib::String(tags.album, TagLib::String::UTF8));
    tag->setTrack(tags.track);
    tag->setYear(tags.year);
    file.save(TagLib::MPEG::File::ID3v2);
}

inline std::string LittleEndian32(std::uint32_t value) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return bytes;
}

inline std::string VorbisComments(const Tags& tags) {
    std::vector<std::string> fields;
    if (!tags.artist.empty()) fields.push_back("ARTIST=" + tags.artist);
    if (!tags.title.empty()) fields.push_back("TITLE=" + tags.title);
    if (!tags.album.empty()) fields.push_back("ALBUM=" + tags.album);
    if (tags.track) fields.push_back("TRACKNUMBER=" + std::to_string(tags.track));
    if (tags.year) fields.push_back("DATE=" + std::to_string(tags.year));
    const std::string vendor = "test";
    std::string bytes = LittleEndian32(vendor.size()) + vendor + LittleEndian32(fields.size());
    for (const std::string& field : fields) bytes += LittleEndian32(field.size()) + field;
    return bytes;
}

// A FLAC stream of metadata only: STREAMINFO (44.1 kHz, stereo, 16 bits)
// and a Vorbis comment block.
inline void MakeFlac(const std::string& path, const Tags& tags) {
    std::string info(34, '\0');
    info[0] = 0x10;  // minimum and maximum block size 4096
    info[2] = 0x10;
    // 44100 Hz in 20 bits, then 2 channels - 1 in 3 bits, 16 bits - 1 in 5.
    info[10] = static_cast<char>(0x0A);
    info[11] = static_cast<char>(0xC4);
    info[12] = static_cast<char>(0x42);
    info[13] = static_cast<char>(0xF0);
    const std::string comments = VorbisComments(tags);
    std::string bytes = "fLaC";
    bytes += std::string{'\x00', '\x00', '\x00', '\x22'} + info;
    bytes += '\x84';  // the last block, a Vorbis comment
    bytes += static_cast<char>((comments.size() >> 16) & 0xFF);
    bytes += static_cast<char>((comments.size() >> 8) & 0xFF);
    bytes += static_cast<char>(comments.size() & 0xFF);
    WriteBytes(path, bytes + comments);
}

inline std::uint32_t OggCrc(const std::string& page) {
    std::uint32_t crc = 0;
    for (unsigned char byte : page) {
        crc ^= static_cast<std::uint32_t>(byte) << 24;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

inline std::string OggPage(const std::string& packet, std::uint8_t type, std::uint32_t sequence) {
    std::string lacing;
    std::size_t left = packet.size();
    while (left >= 255) {
        lacing += '\xFF';
        left -= 255;
    }
    lacing += static_cast<char>(left);
    std::string page = "OggS";
    page += '\0';
    page += static_cast<char>(type);
    page += std::string(8, '\0');  // granule position
    page += LittleEndian32(0x4B455354);
    page += LittleEndian32(sequence);
    page += LittleEndian32(0);  // the checksum, filled in below
    page += static_cast<char>(lacing.size());
    page += lacing + packet;
    const std::string crc = LittleEndian32(OggCrc(page));
    page.replace(22, 4, crc);
    return page;
}

// An Ogg Vorbis stream of its identification and comment headers.
inline void MakeOgg(const std::string& path, const Tags& tags) {
    std::string identification = std::string("\x01vorbis", 7) + LittleEndian32(0) + '\x02' +
                                 LittleEndian32(44100) + LittleEndian32(0) + LittleEndian32(128000) +
                                 LittleEndian32(0) + '\xB8' + '\x01';
    const std::string comment = std::string("\x03vorbis", 7) + VorbisComments(tags) + '\x01';
    WriteBytes(path, OggPage(identification, 0x02, 0) + OggPage(comment, 0x00, 1));
}

}  // namespace media
