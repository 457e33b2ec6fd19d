#include "filelist/too_long_report.h"

#include <cstddef>
#include <exception>
#include <vector>

#include <QFile>
#include <QStringList>

#include "app/dialogs.h"
#include "app/form1.h"
#include "platform/path_limits.h"

namespace {

// The message names the first few; a deep tree can leave out thousands.
constexpr std::size_t kNamedInMessage = 10;
// Such paths run to thousands of characters: the message shows their two ends.
constexpr qsizetype kShownHead = 40;
constexpr qsizetype kShownTail = 70;

struct OpenReport {
    int depth = 0;
    std::size_t count = 0;
    std::vector<std::string> named;
};

OpenReport& Current() {
    static OpenReport report;
    return report;
}

QString Shortened(const std::string& path) {
    const QString text = QFile::decodeName(QByteArray::fromStdString(path));
    if (text.size() <= kShownHead + kShownTail + 1) return text;
    return text.left(kShownHead) + QChar(0x2026) + text.right(kShownTail);
}

}  // namespace

TooLongReport::TooLongReport(TForm1* owner) : owner_(owner), outermost_(Current().depth == 0) {
    ++Current().depth;
}

TooLongReport::~TooLongReport() {
    OpenReport& report = Current();
    --report.depth;
    if (!outermost_) return;
    const std::size_t count = report.count;
    const std::vector<std::string> named = std::move(report.named);
    report = OpenReport{};
    if (count == 0 || std::uncaught_exceptions() > 0) return;

    QStringList lines;
    for (const std::string& path : named) lines << Shortened(path);
    if (count > named.size()) lines << QStringLiteral("(i jeszcze %1)").arg(count - named.size());
    kestrix::ui::showMessage(owner_, QMessageBox::Warning, QStringLiteral("Błąd"),
                             QStringLiteral("Tych elementów nie dodano do listy, bo ich pełna ścieżka jest "
                                            "dłuższa niż %1 bajtów i nie można zmienić ich nazwy "
                                            "(razem: %2):\n\n%3")
                                 .arg(kestrix::platform::kLongestPath)
                                 .arg(count)
                                 .arg(lines.join(QLatin1Char('\n'))));
}

void TooLongReport::leaveOut(const std::string& path) {
    OpenReport& report = Current();
    ++report.count;
    if (report.named.size() < kNamedInMessage) report.named.push_back(path);
}
