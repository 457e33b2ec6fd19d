#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QObject>

#include "session/entry_list.h"
#include "session/run_prediction.h"

class QTimer;

namespace kestrix::session {

// Keeps the conflict marks of the list's entries true: the marks that need no
// disk are set at once, the others by a worker thread that plays the run
// against the folders, so that the window never waits for the disk. Each
// change of the list counts as a new generation; a result of an older one is
// dropped.
class ConflictWatch : public QObject {
    Q_OBJECT

public:
    explicit ConflictWatch(EntryList& list, QObject* parent = nullptr);
    ~ConflictWatch() override;

    // The proposed paths changed: the marks without the disk now, the rest later.
    void recheckNow();
    // The same with the marks without the disk worked out already (for the list as it stands).
    void recheckNow(std::vector<ConflictMark> withoutDisk);
    // The list changed: everything shortly after, once the views have
    // painted the change, so that many changes in a row make one check.
    void recheckSoon();
    // Plays the run here and now unless the marks already follow the list.
    void settleNow();
    // Whether the marks follow the last change of the list, the disk included.
    bool settled() const { return shownGeneration_ == generation_ && diskShown_; }

    // While a run of renames goes on, or the preview is not complete, nothing
    // is checked; once every pause has been ended, everything is.
    void pause();
    void resume();

    int count() const { return count_; }

signals:
    // New marks are set (the entries to repaint); `count` entries will fail.
    void marksChanged(int count);

private:
    class Worker;

    void nextGeneration();
    void checkPending();
    void diskPartDone(std::uint64_t generation, std::vector<ConflictMark> marks);
    void show(std::vector<ConflictMark> marks, bool fromDisk);

    EntryList& list_;
    std::unique_ptr<Worker> worker_;
    QTimer* soon_ = nullptr;
    std::uint64_t generation_ = 0;
    std::uint64_t shownGeneration_ = 0;
    bool diskShown_ = true;
    int paused_ = 0;  // pauses not yet ended
    int count_ = 0;
};

}  // namespace kestrix::session
