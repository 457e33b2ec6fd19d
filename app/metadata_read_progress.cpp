#include "app/metadata_read_progress.h"

#include <utility>

#include <QShortcut>
#include <QTimer>
#include <QWidget>

#include "ui/progress_gauge.h"

MetadataReadProgress::MetadataReadProgress(QWidget& window, ProgressGauge& gauge,
                                           std::unique_ptr<kestrix::session::MetadataJob> job, int showAfter)
    : QObject(&window), gauge_(&gauge), job_(std::move(job)) {
    showTimer_ = new QTimer(this);
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(showAfter);
    connect(showTimer_, &QTimer::timeout, this, &MetadataReadProgress::showGauge);
    stopKey_ = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    stopKey_->setContext(Qt::WindowShortcut);
    stopKey_->setEnabled(false);
    connect(stopKey_, &QShortcut::activated, this, &MetadataReadProgress::stop);
    connect(job_.get(), &kestrix::session::MetadataJob::progress, this,
            &MetadataReadProgress::followProgress);
    connect(job_.get(), &kestrix::session::MetadataJob::ended, this, &MetadataReadProgress::jobEnded);
}

MetadataReadProgress::~MetadataReadProgress() {
    delete stopKey_;
    if (gaugeShown_ && gauge_) {
        gauge_->hide();
        gauge_->setProgress(0);
    }
}

void MetadataReadProgress::start() {
    stopKey_->setEnabled(true);
    showTimer_->start();
    job_->start();
}

void MetadataReadProgress::stop() { job_->stop(); }

void MetadataReadProgress::showGauge() {
    if (!job_->running()) return;
    gaugeShown_ = true;
    followProgress(job_->done(), job_->total());
    if (gauge_) gauge_->show();
}

void MetadataReadProgress::followProgress(qint64 done, qint64 total) {
    if (gaugeShown_ && gauge_) gauge_->setProgress(total > 0 ? static_cast<int>(done * 100 / total) : 100);
}

void MetadataReadProgress::jobEnded(bool completed) {
    showTimer_->stop();
    if (stopKey_) stopKey_->setEnabled(false);
    if (gaugeShown_ && gauge_) {
        gauge_->hide();
        gauge_->setProgress(0);
    }
    gaugeShown_ = false;
    emit finished(completed);
}
