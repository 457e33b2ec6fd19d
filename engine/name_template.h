#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "item_facts.h"

namespace kestrix {

// A name template: text that becomes the name, with tokens in square
// brackets that stand for what is known about the item:
//   [nazwa]            the name as the rules before left it
//   [nr] [nr:3]        a running number, at least that many digits
//   [data] [data:F]    the date a photo was taken, in the format F
//   [zmod] [zmod:F]    the modification date, in the format F
//   [folder]           the name of the folder that holds the item
//   [aparat]           the camera model
//   [wykonawca] [tytuł] [album] [utwór] [rok]   the audio tags
//   [[ and ]]          a bracket
// A format is made of RRRR (year), RR (year's last two digits), MM, DD, GG
// (hour), mm (minute), ss (second) and of characters that are not letters,
// which stay as they are; without a format a date reads RRRR-MM-DD.
class NameTemplate {
public:
    // The template of `text`; nullopt with the reason in `error` (in Polish)
    // when it holds an unknown token, an unknown format or a lone bracket.
    static std::optional<NameTemplate> Parse(std::string_view text, std::string& error);

    // The facts the template needs.
    FactKinds needs() const { return needs_; }
    bool usesNumber() const { return usesNumber_; }

    // Appends the name the template makes of `name` (the name so far) and
    // `number` (the running number) to `out`; returns the first fact the item
    // lacks (None when it lacks none), and then `out` is not to be used.
    MissingFact Expand(std::string_view name, std::int64_t number, const ItemFacts& facts,
                       std::string& out) const;

private:
    enum class Kind : std::uint8_t { Literal, Name, Number, Date, Text };
    enum class DatePart : std::uint8_t { Literal, Year4, Year2, Month, Day, Hour, Minute, Second };
    struct FormatPiece {
        DatePart part;
        std::string literal;
    };
    struct Piece {
        Kind kind = Kind::Literal;
        Fact fact = Fact::Folder;  // for Date, Text and Count
        int width = 0;             // for Number
        std::string literal;
        std::vector<FormatPiece> format;  // for Date
    };

    std::vector<Piece> pieces_;
    FactKinds needs_ = 0;
    bool usesNumber_ = false;
};

}  // namespace kestrix
