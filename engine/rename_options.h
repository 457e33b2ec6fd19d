#pragma once

#include <cstdint>
#include <string>

namespace kestrix {

enum class DeleteMode { FromStart, FromEnd, FromPosition };
enum class PlaceMode { AtStart, AtEnd, AfterPosition };

// Every value the name transformation reads. The options window fills one of
// these from its controls; the defaults are the controls' initial states.
// Counts and positions are in characters (code points of the UTF-8 name).
struct RenameOptions {
    bool ChangeExtension = false;
    std::string NewExtension;  // without the dot; empty removes the extension

    int Scope = 0;  // 0 name and extension, 1 name only, 2 extension only

    bool ReplaceEnabled = false;
    std::string ReplaceFrom;
    std::string ReplaceTo;

    bool DeleteEnabled = false;
    kestrix::DeleteMode DeleteMode = kestrix::DeleteMode::FromStart;
    int DeleteCount = 0;     // 0..100
    int DeletePosition = 0;  // characters kept before the deleted run

    bool InsertEnabled = false;
    PlaceMode InsertMode = PlaceMode::AtStart;
    std::string InsertText;
    int InsertPosition = 0;  // characters before the insertion point

    bool CaseEnabled = false;
    bool CaseToLower = true;  // off: upper case

    bool SpacesEnabled = false;
    bool SpacesToUnderscores = true;  // off: underscores to spaces

    bool NumberEnabled = false;
    std::string NumberStart = "0";  // text as typed; empty switches numbering off
    bool NumberAscending = true;
    bool NumberLeadingZeros = false;
    PlaceMode NumberMode = PlaceMode::AtStart;
    int NumberPosition = 0;

    // Numbering in force: switched on and a start value present. Only then do
    // positions affect proposed paths.
    bool numberingInForce() const { return NumberEnabled && !NumberStart.empty(); }

    friend bool operator==(const RenameOptions&, const RenameOptions&) = default;
};

}  // namespace kestrix
