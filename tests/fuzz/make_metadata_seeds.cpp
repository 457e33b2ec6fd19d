// Writes the first inputs of fuzz_metadata into the folder it is given: a
// picture or sound file of each kind with every field set, behind the byte
// that picks its extension.
#include <cstdio>
#include <string>

#include "media_files.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const media::Tags tags{"Czesław Niemen", "Dziwny jest ten świat", "Sukces", 7, 1967};
    const media::Fields exif = {{"Exif.Photo.DateTimeOriginal", "2024:07:15 10:20:30"},
                                {"Exif.Photo.DateTimeDigitized", "2024:07:15 10:20:31"},
                                {"Exif.Image.Make", "Kestrix"},
                                {"Exif.Image.Model", "Seed 1"},
                                {"Exif.Photo.LensModel", "50mm"},
                                {"Xmp.xmp.CreateDate", "2024-07-15T10:20:32"}};
    const std::string scratch = folder + "/scratch";
    // Kind bytes follow the extensions of fuzz_metadata.cpp.
    const struct {
        char kind;
        void (*make)(const std::string& path, const media::Tags& tags, const media::Fields& exif);
    } seeds[] = {
        {0, [](const std::string& p, const media::Tags&, const media::Fields& e) { media::MakeJpeg(p, e); }},
        {1, [](const std::string& p, const media::Tags&,
               const media::Fields& e) { media::MakePicture(Exiv2::ImageType::tiff, p, e); }},
        {2, [](const std::string& p, const media::Tags&,
               const media::Fields& e) { media::MakePicture(Exiv2::ImageType::png, p, e); }},
        {6, [](const std::string& p, const media::Tags& t, const media::Fields&) { media::MakeMp3(p, t); }},
        {7, [](const std::string& p, const media::Tags& t, const media::Fields&) { media::MakeFlac(p, t); }},
        {8, [](const std::string& p, const media::Tags& t, const media::Fields&) { media::MakeOgg(p, t); }},
    };
    for (const auto& seed : seeds) {
        seed.make(scratch, tags, exif);
        media::WriteBytes(folder + "/seed" + std::to_string(static_cast<int>(seed.kind)),
                          std::string(1, seed.kind) + media::ReadBytes(scratch));
    }
    std::remove(scratch.c_str());
    return 0;
}
