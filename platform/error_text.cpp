#include "error_text.h"

#include <cerrno>
#include <cstring>

namespace kestrix::platform {

std::string ErrorText(int error) {
    switch (error) {
        case EEXIST:
            return "nazwa jest już zajęta";
        case ENOENT:
            return "nie ma takiego pliku ani katalogu";
        case EACCES:
        case EPERM:
            return "brak uprawnień";
        case EROFS:
            return "system plików jest tylko do odczytu";
        case ENAMETOOLONG:
            return "nazwa jest za długa";
        case ENOSPC:
        case EDQUOT:
            return "brak miejsca w systemie plików";
        case EBUSY:
        case ETXTBSY:
            return "plik lub katalog jest w użyciu";
        case EXDEV:
            return "nie można przenieść elementu do innego systemu plików";
        case EINVAL:
            return "niedozwolona nazwa lub operacja";
        case EIO:
            return "błąd wejścia-wyjścia urządzenia";
        case ENOTEMPTY:
            return "katalog nie jest pusty";
        case ENOTDIR:
            return "część ścieżki nie jest katalogiem";
        case EISDIR:
            return "w tym miejscu jest katalog";
        case ELOOP:
            return "zbyt wiele dowiązań symbolicznych w ścieżce";
        case EMLINK:
            return "zbyt wiele dowiązań";
        case ENOTCONN:
        case ENODEV:
        case ENXIO:
            return "urządzenie jest odłączone";
        case ENOMEM:
            return "brak pamięci";
        case EBADF:
            return "plik nie jest otwarty";
        case 0:
            return std::string();
        default:
            return std::strerror(error);
    }
}

}  // namespace kestrix::platform
