#pragma once

#include <string>
#include <vector>

namespace kestrix::ui {

// The local paths of a "text/uri-list" (RFC 2483), as bytes. Lines end with
// CR LF (a bare LF is taken too); lines starting with '#' are comments.
// Only "file:" URIs on this machine count (no host, an empty one or
// "localhost"); their percent escapes are decoded to the bytes they stand
// for, so a name that is not UTF-8 keeps its bytes. A URI that cannot name
// one local item (another host, a relative path, a fragment, a bad escape,
// an escaped '/' or NUL) is skipped. A trailing '/' is dropped, so a folder
// is named without one.
std::vector<std::string> DecodeUriList(const std::string& bytes);

}  // namespace kestrix::ui
