#include "filelist/run_window.h"

#include <QCoreApplication>

#include "app/cgauge.h"
#include "app/form1.h"
#include "filelist/apply_seams.h"
#include "options/form4.h"

using kestrix::apply::applySeams;

RunWindow::RunWindow(TForm1& form, std::int64_t entries)
    : form_(form), step_(100.0 / static_cast<double>(entries)) {
    // Disabling the main window disables its child windows too; the options
    // window stays usable during a run.
    const bool optionsEnabled = Form4 && Form4->isEnabled();
    form_.setEnabled(false);
    if (optionsEnabled && Form4->isWindow()) Form4->setEnabled(true);
    form_.CGauge1->show();
    setGauge(0);
}

RunWindow::~RunWindow() {
    form_.setEnabled(true);
    form_.CGauge1->hide();
}

void RunWindow::advance() {
    sum_ += step_;
    setGauge(static_cast<int>(sum_));
}

void RunWindow::processEvents() {
    QCoreApplication::processEvents();
    if (applySeams().eventsProcessed) applySeams().eventsProcessed();
}

void RunWindow::end() {
    form_.setEnabled(true);
    setGauge(100);
    processEvents();
    form_.CGauge1->hide();
    processEvents();
}

void RunWindow::setGauge(int value) {
    form_.CGauge1->setProgress(value);
    if (applySeams().gaugeSet) applySeams().gaugeSet(value);
}
