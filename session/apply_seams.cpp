#include "session/apply_seams.h"

namespace kestrix::session {

ApplySeams& applySeams() {
    static ApplySeams seams;
    return seams;
}

void resetApplySeams() { applySeams() = ApplySeams{}; }

}  // namespace kestrix::session
