#include "session/rename_failures.h"

#include <QFile>

#include "engine/name_transform.h"
#include "platform/error_text.h"

namespace kestrix::session {

namespace {

QString Decoded(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// The new name as the rules made it: the proposed path without the item's
// folder, so that a name with a '/' inside shows whole.
std::string_view NewName(std::string_view from, std::string_view to) {
    const std::string_view folder = FolderPart(from);
    return to.substr(0, folder.size()) == folder ? to.substr(folder.size()) : to;
}

}  // namespace

std::string FailureReason(const run::RunFailure& failure) {
    using Kind = run::RunFailure::Kind;
    std::string reason;
    switch (failure.kind) {
        case Kind::None:
            return std::string();
        case Kind::System:
            reason = platform::ErrorText(failure.error);
            break;
        case Kind::RefusedName:
            reason = platform::NameFaultText(failure.name);
            break;
        case Kind::JournalBroken:
            reason = "nie można zapisać dziennika zmian nazw: " + platform::ErrorText(failure.error);
            break;
        case Kind::ReplacedSince:
            reason = "pod tą nazwą jest teraz inny plik lub katalog";
            break;
    }
    if (!failure.leftAt.empty()) reason += " (element jest teraz pod nazwą " + failure.leftAt + ")";
    return reason;
}

void RenameFailures::add(const run::EntryOutcome& outcome) {
    if (count_ < kListed) listed_.push_back(Failure{outcome.from, outcome.to, outcome.failure});
    ++count_;
}

QString RenameFailures::messageText() const {
    // "nazwy 1 pliku", "nazwy 2 plików": the genitive after the number.
    QString text;
    if (count_ > 0) {
        text = (of_ == Of::Renames ? QStringLiteral("Nie udało się zmienić nazwy %1 %2:\n")
                                   : QStringLiteral("Nie udało się cofnąć zmiany nazwy %1 %2:\n"))
                   .arg(count_)
                   .arg(count_ == 1 ? QStringLiteral("pliku") : QStringLiteral("plików"));
    }
    for (const Failure& failure : listed_) {
        text += QStringLiteral("\n%1 → %2: %3")
                    .arg(Decoded(failure.from), Decoded(NewName(failure.from, failure.to)),
                         QString::fromStdString(FailureReason(failure.failure)));
    }
    if (count_ > static_cast<std::int64_t>(listed_.size())) {
        text += QStringLiteral("\n… i jeszcze %1.").arg(count_ - static_cast<std::int64_t>(listed_.size()));
    }
    for (const QString& note : notes_) text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) + note;
    return text;
}

QString ConflictsNote(std::int64_t count) {
    return QStringLiteral("Nie uda się zmienić nazwy %1 %2 (konflikty są zaznaczone na liście na czerwono).")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("pliku") : QStringLiteral("plików"));
}

}  // namespace kestrix::session
