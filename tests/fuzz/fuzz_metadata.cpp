// Feeds arbitrary bytes to the metadata reader as files of the kinds it
// knows: the first byte picks the name's extension, the rest is the file.
// Aborts when a field read is out of its range; a crash, a hang or a leak is
// what the sanitizers and libFuzzer report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "item_metadata.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

constexpr const char* kExtensions[] = {"jpg",  "tif", "png",  "webp", "heic", "cr2",  "mp3",
                                       "flac", "ogg", "opus", "m4a",  "wav",  "aiff", "JPG"};
constexpr std::size_t kKinds = sizeof kExtensions / sizeof kExtensions[0];

// One folder per process for the file each input becomes.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/kestrix-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) std::abort();
        return pattern;
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    const std::string path = Folder() + "/input." + kExtensions[bytes[0] % kKinds];
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    for (std::size_t at = 1; at < size;) {
        const ssize_t wrote = write(fd, bytes + at, size - at);
        if (wrote <= 0) std::abort();
        at += static_cast<std::size_t>(wrote);
    }
    close(fd);

    const kestrix::platform::ItemMetadata read =
        kestrix::platform::ReadItemMetadata(path, kestrix::platform::kAllMetadataFields);
    Check(read.size == size - 1);
    if (read.dateTaken) {
        Check(read.dateTaken->month >= 1 && read.dateTaken->month <= 12);
        Check(read.dateTaken->day >= 1 && read.dateTaken->day <= 31);
        Check(read.dateTaken->hour >= 0 && read.dateTaken->hour <= 23);
    }
    Check(!read.track || *read.track > 0);
    unlink(path.c_str());
    return 0;
}
