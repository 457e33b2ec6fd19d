// Feeds arbitrary bytes to the journal reader, in memory and through a file.
// Aborts when what it says does not hang together: a later version that is
// also damaged or readable, a torn header that is anything else, outcomes
// that do not follow the plan, or the file reader disagreeing with the reader
// of bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

#include "run/journal_format.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const kestrix::run::JournalContents c = kestrix::run::ParseJournal(bytes);
    Check(!(c.laterVersion && (c.damaged || c.readable || c.headerTorn)));
    Check(!(c.headerTorn && (c.damaged || c.readable)));
    Check(c.planComplete ? c.outcomes.size() == c.plan.size() : c.outcomes.empty());

    static const std::string path = "/tmp/fuzz_journal-" + std::to_string(getpid()) + ".journal";
    const int fd = open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    const bool written = write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    if (!written) return 0;
    const kestrix::run::JournalContents fromFile = kestrix::run::ReadJournalFile(path);
    Check(fromFile.damaged == c.damaged && fromFile.readable == c.readable && fromFile.plan == c.plan &&
          fromFile.openSteps == c.openSteps && fromFile.finished == c.finished);
    return 0;
}
