#pragma once

#include <string>
#include <string_view>

#include "item_facts.h"

namespace kestrix {

// What an entry names. A folder's name has no extension: the extension rules
// leave it alone and the rules for the name work on all of it.
enum class ItemKind : unsigned char { File, Folder };

// One item of the file list: where a file or folder is now, and where the
// rename rules would put it. The two paths are kept as separate fields so a
// name containing "<n2>" can never split an entry at the wrong place; the
// tagged text form is kept for readers of the text.
struct ListEntry {
    std::string current;   // native bytes (UTF-8 on Linux)
    std::string proposed;  // folder part of `current` + the new name
    ItemKind kind = ItemKind::File;
    // A fact the rules need that the item lacks: the entry then keeps its name.
    MissingFact missing = MissingFact::None;

    // "<n1>" + current + "</n1><n2>" + proposed + "</n2>"
    std::string text() const;

    // Two entries are equal when both paths are equal byte for byte (for
    // paths without tag text this is exactly equality of their texts); the
    // kind follows from the path.
    friend bool operator==(const ListEntry& a, const ListEntry& b) {
        return a.current == b.current && a.proposed == b.proposed;
    }
};

// The text between the first occurrence of `tag` and the first occurrence of
// its closing tag ("<n2>" -> "</n2>"), the closing tag being searched from the
// start of `text`. Empty when the opening tag is missing or empty, or when the
// closing tag is missing or does not stand after the opening tag.
std::string ExtractTagText(std::string_view text, std::string_view tag);

}  // namespace kestrix
