#include "app/adding_reports.h"

#include <string_view>

#include <QFile>

#include "platform/path_limits.h"
#include "session/left_out_items.h"

namespace {

// Such paths run to thousands of characters: the message shows their two ends.
constexpr qsizetype kShownHead = 40;
constexpr qsizetype kShownTail = 70;

QString Shortened(const std::string& path) {
    const QString text = QFile::decodeName(QByteArray::fromStdString(path));
    if (text.size() <= kShownHead + kShownTail + 1) return text;
    return text.left(kShownHead) + QChar(0x2026) + text.right(kShownTail);
}

QString Listed(const std::vector<std::string>& named, std::size_t count) {
    QStringList lines;
    for (const std::string& path : named) lines << Shortened(path);
    if (count > named.size()) lines << QStringLiteral("(i jeszcze %1)").arg(count - named.size());
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

QString LeftOutText(const kestrix::session::LeftOutItems& leftOut) {
    QStringList parts;
    if (leftOut.count() > 0) {
        parts << QStringLiteral(
                     "Tych elementów nie dodano do listy, bo ich pełna ścieżka jest dłuższa niż %1 bajtów "
                     "i nie można zmienić ich nazwy (razem: %2):\n\n%3")
                     .arg(kestrix::platform::kLongestPath)
                     .arg(leftOut.count())
                     .arg(Listed(leftOut.named(), leftOut.count()));
    }
    if (leftOut.specialCount() > 0) {
        parts << QStringLiteral(
                     "Tych elementów nie dodano do listy, bo są potokami, gniazdami lub plikami urządzeń, a "
                     "nie "
                     "zwykłymi plikami ani katalogami (razem: %1):\n\n%2")
                     .arg(leftOut.specialCount())
                     .arg(Listed(leftOut.specialNamed(), leftOut.specialCount()));
    }
    return parts.join(QStringLiteral("\n\n"));
}

QString FolderContentsQuestion(const std::string& folder, std::size_t folders) {
    if (folders <= 1)
        return QStringLiteral("Do dodania na listę wybrano katalog, czy dodać też jego zawartość ?");
    std::string_view name = folder;
    while (name.size() > 1 && name.back() == '/') name.remove_suffix(1);
    name = name.substr(name.find_last_of('/') == std::string_view::npos ? 0 : name.find_last_of('/') + 1);
    // "2 katalogi", "5 katalogów", "22 katalogi", "12 katalogów".
    const bool few = folders % 10 >= 2 && folders % 10 <= 4 && (folders % 100 < 12 || folders % 100 > 14);
    return QStringLiteral("Do dodania na listę wybrano %1 %2, czy dodać też zawartość katalogu „%3” ?")
        .arg(folders)
        .arg(few ? QStringLiteral("katalogi") : QStringLiteral("katalogów"))
        .arg(QFile::decodeName(QByteArray(name.data(), static_cast<qsizetype>(name.size()))));
}

QString UnmatchedPicksText(const QStringList& unmatched) {
    return QStringLiteral(
               "Tych plików nie dodano do listy, bo nie udało się ich jednoznacznie odnaleźć na dysku "
               "(nazwa, której nie da się poprawnie odczytać, pasuje do kilku plików albo do "
               "żadnego):\n\n") +
           unmatched.join(QLatin1Char('\n'));
}
