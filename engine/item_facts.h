#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// A moment as a clock on the wall shows it (no time zone).
struct DateTime {
    int year = 0;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// Which facts about an item a rule needs, as bits.
enum class Fact : std::uint16_t {
    DateTaken = 1 << 0,
    Modified = 1 << 1,
    Folder = 1 << 2,
    Camera = 1 << 3,
    Artist = 1 << 4,
    Title = 1 << 5,
    Album = 1 << 6,
    Track = 1 << 7,
    Year = 1 << 8,
};
using FactKinds = std::uint16_t;
constexpr FactKinds Bit(Fact fact) { return static_cast<FactKinds>(fact); }

// What is known about one item besides its name: each fact may be missing
// (the file has no such tag, or nobody could read it).
struct ItemFacts {
    std::optional<DateTime> dateTaken;  // when a photo was taken
    std::optional<DateTime> modified;   // the item's modification time
    std::optional<std::string> folder;  // the name of the folder that holds it
    std::optional<std::string> camera;  // the camera model
    std::optional<std::string> artist;
    std::optional<std::string> title;
    std::optional<std::string> album;
    std::optional<std::uint32_t> track;
    std::optional<std::uint32_t> year;
};

// The fact whose absence keeps an entry at its name; None when nothing is missing.
enum class MissingFact : std::uint8_t {
    None,
    DateTaken,
    Modified,
    Folder,
    Camera,
    Artist,
    Title,
    Album,
    Track,
    Year,
};

// Why an entry keeps its name, in the user's words ("brak znacznika: wykonawca").
std::string_view MissingFactReason(MissingFact missing);

}  // namespace kestrix
