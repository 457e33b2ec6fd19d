// After the main window first shows: runs of renames that were cut off (a
// crash, a kill, a power loss) are settled, the user choosing to take each
// back or to keep it.
#include <vector>

#include <QMessageBox>
#include <QTimer>

#include "app/dialogs.h"
#include "app/form1.h"
#include "filelist/journal_texts.h"
#include "session/journal_store.h"
#include "session/recovery.h"

void TForm1::SettleInterruptedRuns() {
    if (!isEnabled()) {
        // A run of this program is going on; ask when it is over.
        QTimer::singleShot(200, this, &TForm1::SettleInterruptedRuns);
        return;
    }
    const std::string journals = kestrix::session::DefaultJournalFolder();
    std::vector<kestrix::session::SettleProblem> problems;
    for (const std::string& journal : kestrix::session::UnfinishedJournals(journals)) {
        kestrix::session::Recovery recovery(journals);
        if (!recovery.open(journal)) continue;
        auto choice = kestrix::session::Recovery::Choice::None;
        if (recovery.needsChoice()) {
            const QMessageBox::StandardButton answer =
                kestrix::ui::showMessage(this, QMessageBox::Question, QStringLiteral("Zapytanie"),
                                         kestrix::apply::InterruptedRunQuestion(
                                             recovery.kind(), recovery.renamedCount(), recovery.entryCount()),
                                         QMessageBox::Yes | QMessageBox::No);
            choice = answer == QMessageBox::Yes ? kestrix::session::Recovery::Choice::TakeBack
                                                : kestrix::session::Recovery::Choice::Keep;
        }
        for (auto& problem : recovery.settle(choice)) problems.push_back(std::move(problem));
    }
    UpdateUndoItem();
    if (!problems.empty()) {
        kestrix::ui::showMessage(this, QMessageBox::Critical, QStringLiteral("Błąd"),
                                 kestrix::apply::UnsettledText(problems));
    }
}
