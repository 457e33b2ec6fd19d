#include "session/journal_texts.h"

#include <cstring>

#include <QFile>

#include "platform/error_text.h"

namespace kestrix::session {

namespace {

QString Decoded(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// "1 pliku", "2 plików": the genitive after the number.
QString Files(std::int64_t count) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("pliku")
                                                             : QStringLiteral("plików"));
}

constexpr int kListed = 10;

}  // namespace

QString JournalFailureText(const std::string& folder, int error) {
    const QString where =
        folder.empty()
            ? QStringLiteral(
                  "Nie można zapisać dziennika zmian nazw: nie wiadomo, gdzie go zapisać (nie ustawiono "
                  "zmiennej HOME ani XDG_STATE_HOME).")
            : QStringLiteral("Nie można zapisać dziennika zmian nazw w katalogu %1:\n%2.")
                  .arg(Decoded(folder), QString::fromStdString(platform::ErrorText(error)));
    return where + QStringLiteral("\n\nNie zmieniono nazwy żadnego pliku.");
}

QString InterruptedRunQuestion(run::RunKind kind, std::int64_t renamed, std::int64_t entries) {
    if (kind == run::RunKind::Undo) {
        return QStringLiteral(
                   "Poprzednie cofanie zmiany nazw plików zostało przerwane przed końcem (poprzednie nazwy "
                   "odzyskało już %1 z %2).\n\n"
                   "Tak – dokończ cofanie: wszystkie pliki wrócą do poprzednich nazw.\n"
                   "Nie – zostaw pliki tak, jak są; resztę zmiany nazw nadal będzie można cofnąć.")
            .arg(renamed)
            .arg(Files(entries));
    }
    return QStringLiteral(
               "Poprzednia zmiana nazw plików została przerwana przed końcem (nowe nazwy otrzymało już %1 "
               "z %2).\n\n"
               "Tak – cofnij przerwaną zmianę: wszystkie pliki wrócą do poprzednich nazw.\n"
               "Nie – zachowaj nowe nazwy plików, które zdążyły je otrzymać.")
        .arg(renamed)
        .arg(Files(entries));
}

QString UnsettledText(const std::vector<run::SettleProblem>& problems) {
    QString text = QStringLiteral("Nie udało się uporządkować %1 po przerwanej zmianie nazw:\n")
                       .arg(Files(static_cast<std::int64_t>(problems.size())));
    for (size_t i = 0; i < problems.size() && i < kListed; ++i) {
        text += QStringLiteral("\n%1: %2")
                    .arg(Decoded(problems[i].path), QString::fromStdString(problems[i].reason));
    }
    if (problems.size() > kListed) text += QStringLiteral("\n… i jeszcze %1.").arg(problems.size() - kListed);
    return text;
}

QString RunSucceededNote(run::RunKind kind, std::int64_t renamed) {
    if (kind == run::RunKind::Undo)
        return QStringLiteral("Przywrócono poprzednie nazwy %1.").arg(Files(renamed));
    return QStringLiteral("Zmieniono nazwy %1.").arg(Files(renamed));
}

QString UndoQuestion() { return QStringLiteral("Czy cofnąć ostatnią zmianę nazw plików ?"); }

}  // namespace kestrix::session
