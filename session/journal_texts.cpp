#include "session/journal_texts.h"

#include <cstring>

#include <QFile>

#include "platform/error_text.h"
#include "session/rename_failures.h"

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
                    .arg(Decoded(problems[i].path),
                         QString::fromStdString(problems[i].failure.kind == run::RunFailure::Kind::None
                                                    ? problems[i].reason
                                                    : FailureReason(problems[i].failure)));
    }
    if (problems.size() > kListed) text += QStringLiteral("\n… i jeszcze %1.").arg(problems.size() - kListed);
    return text;
}

QString RunSucceededNote(run::RunKind kind, std::int64_t renamed) {
    if (kind == run::RunKind::Undo)
        return QStringLiteral("Przywrócono poprzednie nazwy %1.").arg(Files(renamed));
    return QStringLiteral("Zmieniono nazwy %1.").arg(Files(renamed));
}

QString PastRunKindText(const run::PastRun& run) {
    if (run.kind == run::RunKind::Undo) return QStringLiteral("cofnięcie");
    return run.recovered ? QStringLiteral("odzyskanie") : QStringLiteral("zmiana nazw");
}

QString PastRunTimeText(const run::PastRun& run, const QDateTime& now) {
    const QDateTime began = QDateTime::fromMSecsSinceEpoch(run.startedMicros / 1000).toLocalTime();
    const QDateTime here = now.toLocalTime();
    return began.date() == here.date() ? began.toString(QStringLiteral("HH:mm"))
                                       : began.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString PastRunFolderText(const run::PastRun& run) { return Decoded(run.firstFolder); }

QString PastRunText(const run::PastRun& run, const QDateTime& now) {
    return QStringLiteral("zmianę nazw %1 z %2 w folderze %3")
        .arg(Files(run.items), PastRunTimeText(run, now), PastRunFolderText(run));
}

QString UndoQuestion(const run::PastRun& run, bool ranElsewhere, const QDateTime& now) {
    QString question = QStringLiteral("Cofnąć %1?").arg(PastRunText(run, now));
    if (ranElsewhere) question += QStringLiteral("\n\nTej zmiany nazw dokonano w innym oknie programu.");
    return question;
}

QString RunGoneText() {
    return QStringLiteral(
        "Tej zmiany nazw nie można już cofnąć: została cofnięta w innym oknie programu albo nie ma jej "
        "już w historii zmian.\n\nNie zmieniono nazwy żadnego pliku.");
}

QString UntrustedJournalsText(const std::string& folder, const run::UntrustedJournals& untrusted) {
    if (untrusted.folder) {
        return QStringLiteral(
                   "Katalog dzienników zmian nazw %1 nie należy do Ciebie albo mogą w nim zapisywać inni "
                   "użytkownicy. Program nie odczytał z niego żadnego dziennika i nie zapisze w nim nowego, "
                   "więc nie zmieni nazw plików, dopóki katalog nie będzie tylko Twój.")
            .arg(Decoded(folder));
    }
    if (untrusted.journals.empty()) return QString();
    QString text = QStringLiteral(
        "Pominięto dzienniki zmian nazw, które nie należą do Ciebie albo które mogą zmieniać inni "
        "użytkownicy. Program ich nie odczytał i nie zmienił według nich nazw żadnych plików:\n");
    for (size_t i = 0; i < untrusted.journals.size() && i < kListed; ++i)
        text += QStringLiteral("\n%1").arg(Decoded(untrusted.journals[i]));
    if (untrusted.journals.size() > kListed)
        text += QStringLiteral("\n… i jeszcze %1.").arg(untrusted.journals.size() - kListed);
    return text;
}

QString UnusableJournalText(const run::UnusableJournal& journal) {
    using Kind = run::UnusableJournal::Kind;
    switch (journal.kind) {
        case Kind::None:
            return QString();
        case Kind::NotOwn:
            return QStringLiteral(
                       "Dziennik zmian nazw %1 nie należy do Ciebie albo mogą go zmieniać inni użytkownicy. "
                       "Program go nie odczytał i nie zmienił według niego nazw żadnych plików.")
                .arg(Decoded(journal.path));
        case Kind::LaterVersion:
            return QStringLiteral(
                       "Dziennik przerwanej zmiany nazw %1 zapisała nowsza wersja programu. Ta wersja go nie "
                       "odczyta: pozostawiono go bez zmian, a przerwaną zmianę nazw uporządkuje nowsza "
                       "wersja.")
                .arg(Decoded(journal.path));
        case Kind::Damaged:
            break;
    }
    QString text =
        QStringLiteral(
            "Dziennik przerwanej zmiany nazw %1 jest uszkodzony i nie da się go odczytać w całości. "
            "Nie można ustalić, które pliki zdążyły otrzymać nowe nazwy, ani cofnąć tej zmiany nazw.")
            .arg(Decoded(journal.path));
    if (!journal.keptAt.empty()) {
        text += QStringLiteral(" Dziennik zachowano jako %1.").arg(Decoded(journal.keptAt));
    }
    if (journal.settled > 0) {
        text += QStringLiteral(" Uporządkowano nazwy tymczasowe %1, na które wskazuje jego czytelna część.")
                    .arg(Files(journal.settled));
    }
    if (!journal.problems.empty()) text += QStringLiteral("\n\n") + UnsettledText(journal.problems);
    return text;
}

}  // namespace kestrix::session
