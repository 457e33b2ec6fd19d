#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "platform/folders.h"

namespace kestrix::session {

// Turns the paths the file dialog returns back into the bytes of the items
// the user picked. The dialog speaks text: a name that is not valid UTF-8
// comes back with U+FFFD in place of its bytes, and encoding that text again
// names either nothing or, worse, another item spelled with U+FFFD itself.
// Each part of such a path is therefore found again in its folder's listing,
// among the names that read as the same text; a part that fits no entry or
// more than one leaves the whole path unmatched.
class PickedPathMatcher {
public:
    // The picked item's path as bytes, or nullopt when no single item fits.
    std::optional<std::string> match(const QString& picked);

private:
    const std::vector<platform::FolderItem>& listing(const std::string& folder);

    // Several files picked in one folder share its listing.
    std::map<std::string, std::vector<platform::FolderItem>> listings_;
};

}  // namespace kestrix::session
