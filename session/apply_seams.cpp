#include "session/apply_seams.h"

#include <QCoreApplication>

namespace kestrix::session {

ApplySeams& applySeams() {
    static ApplySeams seams;
    return seams;
}

void resetApplySeams() { applySeams() = ApplySeams{}; }

void ProcessEventsDuringRun() {
    QCoreApplication::processEvents();
    if (applySeams().eventsProcessed) applySeams().eventsProcessed();
}

}  // namespace kestrix::session
