// Dropped paths come from the raw bytes of a "text/uri-list".
#include "app/uri_list.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Paths = std::vector<std::string>;

TEST(UriList, GivesTheLocalPathsAsBytesAndSkipsWhatNamesNoSingleLocalItem) {
    struct Case {
        const char* list;
        Paths expected;
    };
    const Case cases[] = {
        {"file:///tmp/a%20b\r\nfile:///tmp/c\r\n", {"/tmp/a b", "/tmp/c"}},
        {"file:///tmp/caf%E9.jpg\r\n", {"/tmp/caf\xE9.jpg"}},  // not UTF-8: the byte stays
        {"file:///tmp/%C5%BC%C3%B3%C5%82w\r\n", {"/tmp/\xC5\xBC\xC3\xB3\xC5\x82w"}},
        // Escapes in lower case, or mixed, stand for the same bytes.
        {"file:///tmp/%c5%bc%c3%b3%c5%82w\r\n", {"/tmp/\xC5\xBC\xC3\xB3\xC5\x82w"}},
        {"file:///tmp/%C5%bc%c3%B3%e9\r\n", {"/tmp/\xC5\xBC\xC3\xB3\xE9"}},
        {"file:///a\nfile:///b", {"/a", "/b"}},  // bare LF, no ending on the last line
        {"# a comment\r\nfile:///a\r\n\r\n#file:///b\r\n", {"/a"}},
        {"file://localhost/a\r\nfile://LocalHost/b\r\nfile:/c\r\nFILE:///d\r\n", {"/a", "/b", "/c", "/d"}},
        {"file:///tmp/folder/\r\nfile:///\r\n", {"/tmp/folder", "/"}},
        {"file:///a%2Fb\r\n", {}},  // an escaped '/' would name another item
        {"file:///a%00b\r\n", {}},  // no name holds a NUL
        {"file:///a%zz\r\nfile:///a%4\r\n", {}},
        {"file:///a#b\r\n", {}},         // a fragment would cut the name short
        {"file://elsewhere/a\r\n", {}},  // another machine's file
        {"file:relative\r\nhttp://x/y\r\nfile://\r\n", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kestrix::ui::DecodeUriList(c.list), c.expected) << c.list;
    }
}

}  // namespace
