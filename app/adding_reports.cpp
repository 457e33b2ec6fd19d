#include "app/adding_reports.h"

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

}  // namespace

QString LeftOutText(const kestrix::session::LeftOutItems& leftOut) {
    QStringList lines;
    for (const std::string& path : leftOut.named()) lines << Shortened(path);
    if (leftOut.count() > leftOut.named().size()) {
        lines << QStringLiteral("(i jeszcze %1)").arg(leftOut.count() - leftOut.named().size());
    }
    return QStringLiteral(
               "Tych elementów nie dodano do listy, bo ich pełna ścieżka jest dłuższa niż %1 bajtów "
               "i nie można zmienić ich nazwy (razem: %2):\n\n%3")
        .arg(kestrix::platform::kLongestPath)
        .arg(leftOut.count())
        .arg(lines.join(QLatin1Char('\n')));
}

QString UnmatchedPicksText(const QStringList& unmatched) {
    return QStringLiteral(
               "Tych plików nie dodano do listy, bo nie udało się ich jednoznacznie odnaleźć na dysku "
               "(nazwa, której nie da się poprawnie odczytać, pasuje do kilku plików albo do "
               "żadnego):\n\n") +
           unmatched.join(QLatin1Char('\n'));
}
