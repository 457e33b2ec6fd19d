#include "filelist/apply_seams.h"

namespace kestrix::apply {

ApplySeams& applySeams() {
    static ApplySeams seams;
    return seams;
}

void resetApplySeams() { applySeams() = ApplySeams{}; }

}  // namespace kestrix::apply
