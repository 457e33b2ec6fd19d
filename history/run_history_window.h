#pragma once

#include <vector>

#include <QDialog>

#include "run/run_history.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace kestrix::session {
class Session;
}

// "Historia zmian": the user's last finished runs, whichever window ran them,
// newest first: when each began, its kind, how many items it renamed, the
// folder of the first of them and which window ran it. A run that can still
// be taken back has its "Cofnij" button; the window asks whoever opened it to
// take the run back (takeBackAsked) and follows the runs of the session,
// reading the history anew when one has ended.
class RunHistoryWindow : public QDialog {
    Q_OBJECT

public:
    explicit RunHistoryWindow(kestrix::session::Session& session, QWidget* parent = nullptr);

    // Reads the history anew.
    void reload();
    // The runs shown, one per row.
    const std::vector<kestrix::run::PastRun>& runs() const { return runs_; }

    // Controls; each carries its object name (in brackets).
    QLabel* historyCaption = nullptr;      // HistoryCaption
    QTableWidget* historyTable = nullptr;  // HistoryTable
    // Per row: its "Cofnij" button, null where the run cannot be taken back.
    std::vector<QPushButton*> takeBackButtons;  // TakeBackButton
    QPushButton* closeButton = nullptr;         // HistoryCloseButton

signals:
    void takeBackAsked(const kestrix::run::PastRun& run);

private:
    void runStarted();
    void setTakeBackEnabled(bool enabled);

    kestrix::session::Session& session_;
    std::vector<kestrix::run::PastRun> runs_;
};
