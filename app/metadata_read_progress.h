#pragma once

#include <memory>

#include <QObject>
#include <QPointer>

#include "session/metadata_job.h"

class ProgressGauge;
class QShortcut;
class QTimer;
class QWidget;

// Shows a read of what files say about themselves in the main window while
// the window goes on taking input: a read that lasts longer than `showAfter`
// milliseconds shows its progress in the gauge, and Escape in the window
// stops it. Owns the job.
class MetadataReadProgress : public QObject {
    Q_OBJECT

public:
    MetadataReadProgress(QWidget& window, ProgressGauge& gauge,
                         std::unique_ptr<kestrix::session::MetadataJob> job, int showAfter = 500);
    ~MetadataReadProgress() override;

    kestrix::session::MetadataJob& job() { return *job_; }
    // Sets the job going.
    void start();
    void stop();
    // Whether the gauge shows the read now.
    bool gaugeShown() const { return gaugeShown_; }

signals:
    // The read ended, the gauge is gone; `completed` when every item was read.
    void finished(bool completed);

private:
    void showGauge();
    void followProgress(qint64 done, qint64 total);
    void jobEnded(bool completed);

    // The window's own controls, which may go before this when the window does.
    QPointer<ProgressGauge> gauge_;
    QPointer<QShortcut> stopKey_;
    std::unique_ptr<kestrix::session::MetadataJob> job_;
    QTimer* showTimer_ = nullptr;
    bool gaugeShown_ = false;
};
