#include "history/run_history_window.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "session/journal_texts.h"
#include "session/session.h"

namespace {

enum Column { When, Kind, Items, Folder, Window, State, ColumnCount };

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment);
    return item;
}

}  // namespace

RunHistoryWindow::RunHistoryWindow(kestrix::session::Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("HistoryForm"));
    setWindowTitle(QStringLiteral("Historia zmian"));
    resize(720, 400);

    historyCaption = new QLabel(QStringLiteral("Ostatnie zmiany nazw, najnowsze na górze:"), this);
    historyCaption->setObjectName(QStringLiteral("HistoryCaption"));
    historyTable = new QTableWidget(0, ColumnCount, this);
    historyTable->setObjectName(QStringLiteral("HistoryTable"));
    historyTable->setAccessibleName(QStringLiteral("Historia zmian"));
    historyTable->setHorizontalHeaderLabels({QStringLiteral("Kiedy"), QStringLiteral("Rodzaj"),
                                             QStringLiteral("Plików"), QStringLiteral("Pierwszy folder"),
                                             QStringLiteral("Okno"), QStringLiteral("Stan")});
    historyTable->verticalHeader()->hide();
    historyTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    historyTable->setSelectionMode(QAbstractItemView::SingleSelection);
    historyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    historyTable->setTabKeyNavigation(false);
    QHeaderView* header = historyTable->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(Folder, QHeaderView::Stretch);
    historyCaption->setBuddy(historyTable);

    closeButton = new QPushButton(QStringLiteral("Zamknij"), this);
    closeButton->setObjectName(QStringLiteral("HistoryCloseButton"));
    closeButton->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(historyCaption);
    layout->addWidget(historyTable);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);

    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(&session_, &kestrix::session::Session::runStarted, this, &RunHistoryWindow::runStarted);
    connect(&session_, &kestrix::session::Session::runFinished, this, &RunHistoryWindow::reload);
    reload();
}

void RunHistoryWindow::reload() {
    runs_ = session_.runHistory();
    const QDateTime now = QDateTime::currentDateTime();
    historyTable->setRowCount(0);
    historyTable->setRowCount(static_cast<int>(runs_.size()));
    takeBackButtons.assign(runs_.size(), nullptr);
    QWidget* previous = historyTable;
    for (size_t i = 0; i < runs_.size(); ++i) {
        const kestrix::run::PastRun& run = runs_[i];
        const int row = static_cast<int>(i);
        historyTable->setItem(row, When, Cell(kestrix::session::PastRunTimeText(run, now)));
        historyTable->setItem(row, Kind, Cell(kestrix::session::PastRunKindText(run)));
        historyTable->setItem(row, Items,
                              Cell(QString::number(run.items), Qt::AlignRight | Qt::AlignVCenter));
        historyTable->setItem(row, Folder, Cell(kestrix::session::PastRunFolderText(run)));
        historyTable->setItem(row, Window,
                              Cell(session_.ranHere(run)        ? QStringLiteral("to okno")
                                   : session_.ranElsewhere(run) ? QStringLiteral("inne okno")
                                                                : QString()));
        if (run.takenBack) {
            historyTable->setItem(row, State, Cell(QStringLiteral("cofnięta")));
        } else if (run.canTakeBack()) {
            auto* button = new QPushButton(QStringLiteral("Cofnij"));
            button->setObjectName(QStringLiteral("TakeBackButton"));
            button->setAutoDefault(false);
            button->setAccessibleName(QStringLiteral("Cofnij ") + kestrix::session::PastRunText(run, now));
            historyTable->setCellWidget(row, State, button);
            connect(button, &QPushButton::clicked, this, [this, i] { emit takeBackAsked(runs_[i]); });
            takeBackButtons[i] = button;
            QWidget::setTabOrder(previous, button);
            previous = button;
        }
    }
    QWidget::setTabOrder(previous, closeButton);
    setTakeBackEnabled(!session_.runGoingOn());
}

void RunHistoryWindow::runStarted() { setTakeBackEnabled(false); }

void RunHistoryWindow::setTakeBackEnabled(bool enabled) {
    for (QPushButton* button : takeBackButtons) {
        if (button) button->setEnabled(enabled);
    }
}
