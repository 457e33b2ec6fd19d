// Every error the program names in Polish has its own text; the rest take the system's.
#include "error_text.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace kestrix::platform {
namespace {

TEST(ErrorText, EveryNamedErrorHasItsPolishText) {
    struct Case {
        int error;
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {EEXIST, "EEXIST", "nazwa jest już zajęta"},
        {ENOENT, "ENOENT", "nie ma takiego pliku ani katalogu"},
        {EACCES, "EACCES", "brak uprawnień"},
        {EPERM, "EPERM", "brak uprawnień"},
        {EROFS, "EROFS", "system plików jest tylko do odczytu"},
        {ENAMETOOLONG, "ENAMETOOLONG", "nazwa jest za długa"},
        {ENOSPC, "ENOSPC", "brak miejsca w systemie plików"},
        {EDQUOT, "EDQUOT", "brak miejsca w systemie plików"},
        {EBUSY, "EBUSY", "plik lub katalog jest w użyciu"},
        {ETXTBSY, "ETXTBSY", "plik lub katalog jest w użyciu"},
        {EXDEV, "EXDEV", "nie można przenieść elementu do innego systemu plików"},
        {EINVAL, "EINVAL", "niedozwolona nazwa lub operacja"},
        {EIO, "EIO", "błąd wejścia-wyjścia urządzenia"},
        {ENOTEMPTY, "ENOTEMPTY", "katalog nie jest pusty"},
        {ENOTDIR, "ENOTDIR", "część ścieżki nie jest katalogiem"},
        {EISDIR, "EISDIR", "w tym miejscu jest katalog"},
        {ELOOP, "ELOOP", "zbyt wiele dowiązań symbolicznych w ścieżce"},
        {EMLINK, "EMLINK", "zbyt wiele dowiązań"},
        {ENOTCONN, "ENOTCONN", "urządzenie jest odłączone"},
        {ENODEV, "ENODEV", "urządzenie jest odłączone"},
        {ENXIO, "ENXIO", "urządzenie jest odłączone"},
        {ENOMEM, "ENOMEM", "brak pamięci"},
        {EBADF, "EBADF", "plik nie jest otwarty"},
        {0, "no error", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorText(c.error), c.text) << c.name;
}

TEST(ErrorText, AnErrorWithoutATextOfItsOwnTakesTheSystemsText) {
    EXPECT_EQ(ErrorText(EPROTO), std::strerror(EPROTO));
    EXPECT_FALSE(ErrorText(EPROTO).empty());
}

}  // namespace
}  // namespace kestrix::platform
