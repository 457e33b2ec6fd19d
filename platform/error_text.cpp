#include "error_text.h"

#include <cerrno>
#include <climits>
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

std::string NameFaultText(const NameFault& fault) {
    using Kind = NameFault::Kind;
    switch (fault.kind) {
        case Kind::None:
            return std::string();
        case Kind::Empty:
            return "pusta nazwa";
        case Kind::Dots:
            return "niedozwolona nazwa";
        case Kind::Nul:
            return "nazwa zawiera bajt NUL";
        case Kind::Slash:
            return "nazwa zawiera znak /";
        case Kind::TooLong:
            return "nazwa dłuższa niż " + std::to_string(NAME_MAX) + " bajtów";
        case Kind::PathTooLong:
            return "nowa ścieżka jest dłuższa niż " + std::to_string(PATH_MAX - 1) + " bajtów";
        case Kind::Character:
            if (fault.character < 0x20) {
                return "znak sterujący (kod " + std::to_string(fault.character) +
                       ") jest niedozwolony na tym nośniku";
            }
            return std::string("znak ") + static_cast<char>(fault.character) +
                   " jest niedozwolony na tym nośniku";
        case Kind::TrailingSpace:
            return "nazwa zakończona spacją jest niedozwolona na tym nośniku";
        case Kind::TrailingDot:
            return "nazwa zakończona kropką jest niedozwolona na tym nośniku";
    }
    return std::string();
}

}  // namespace kestrix::platform
