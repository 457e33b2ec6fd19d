// The words of a run's failures, composed from the values the run core reports.
#include "session/rename_failures.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

namespace kestrix::session {
namespace {

using Kind = run::RunFailure::Kind;

TEST(FailureReason, WordsEveryKindOfFailure) {
    struct Case {
        run::RunFailure failure;
        const char* reason;
    };
    const Case cases[] = {
        {{Kind::System, EEXIST, {}, ""}, "nazwa jest już zajęta"},
        {{Kind::System, ENOENT, {}, ""}, "nie ma takiego pliku ani katalogu"},
        {{Kind::RefusedName, EINVAL, {platform::NameFault::Kind::Character, ':'}, ""},
         "znak : jest niedozwolony na tym nośniku"},
        {{Kind::RefusedName, EINVAL, {platform::NameFault::Kind::Slash}, ""}, "nazwa zawiera znak /"},
        {{Kind::JournalBroken, ENOSPC, {}, ""},
         "nie można zapisać dziennika zmian nazw: brak miejsca w systemie plików"},
        {{Kind::ReplacedSince, EEXIST, {}, ""}, "pod tą nazwą jest teraz inny plik lub katalog"},
        {{Kind::System, EIO, {}, "/d/.kestrix-r-0.tmp"},
         "błąd wejścia-wyjścia urządzenia (element jest teraz pod nazwą /d/.kestrix-r-0.tmp)"},
    };
    for (const Case& c : cases) EXPECT_EQ(FailureReason(c.failure), c.reason);
}

TEST(RenameFailures, ListsEachFailureWithItsNewNameAndReason) {
    RenameFailures failures;
    run::EntryOutcome outcome;
    outcome.outcome = run::Outcome::Failed;
    outcome.from = "/zdjęcia/a.jpg";
    outcome.to = "/zdjęcia/a?.jpg";
    outcome.failure = {Kind::RefusedName, EINVAL, {platform::NameFault::Kind::Character, '?'}, ""};
    failures.add(outcome);
    EXPECT_EQ(
        failures.messageText().toStdString(),
        "Nie udało się zmienić nazwy 1 pliku:\n\n/zdjęcia/a.jpg → a?.jpg: znak ? jest niedozwolony na tym "
        "nośniku");
}

}  // namespace
}  // namespace kestrix::session
