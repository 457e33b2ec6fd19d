#pragma once

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrix::platform::testing {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the test ends. `path()` has no trailing '/'.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrix-test-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TempFolder() {
        if (path_.empty()) return;
        std::error_code ignored;
        // Give back every permission a test took away, so that all of it goes.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
            if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline bool WriteFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Runs `body` in a child process without the power to bypass file
// permissions (as the user "nobody" when the tests run as root), and returns
// its result, or -1 when the child could not run. Lets a test as root see
// what an ordinary user sees of a chmod 000 folder.
inline int RunUnprivileged(const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(255);
        _exit(body() & 0xFF);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

// Runs `body` in a child process that may use at most `memoryBytes` of
// address space, and gives it `seconds` to finish: its result, or -1 when it
// could not run, was killed (it ran out of memory) or did not finish in time
// (it is then killed). The limits are generous; they only turn a hang or a
// read without end into a failure instead of a test that never ends.
inline int RunBounded(int seconds, size_t memoryBytes, const std::function<int()>& body) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        const rlimit limit{memoryBytes, memoryBytes};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(255);
        _exit(body() & 0xFF);
    }
    int status = 0;
    for (int waited = 0; waited < seconds * 20; ++waited) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        usleep(50 * 1000);
    }
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    return -1;
}

}  // namespace kestrix::platform::testing
