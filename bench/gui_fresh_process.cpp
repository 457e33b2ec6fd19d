// Measurements in a process of their own (see fresh_process.h): the first
// adding of a tree to the list, and the plain enumeration it is compared with.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>

#include <dirent.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/main_window.h"
#include "fresh_process.h"
#include "session/session.h"

extern char** environ;

namespace bench {

namespace {

// Resident memory in MB.
double ResidentMegabytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// CPU time in ms of the calling thread, or of every thread of the process.
double CpuMs(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// What a program that only lists the tree does: one path per file.
void Enumerate(const std::string& folder, std::vector<std::string>& paths) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        if (entry->d_type == DT_DIR) {
            Enumerate(folder + name + "/", paths);
        } else {
            paths.push_back(folder + name);
        }
    }
    closedir(dir);
}

// Tells when the file list was first painted: at the first event after the
// paint of its viewport, that is when the paint has ended.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* viewport, const QElapsedTimer& clock) : viewport_(viewport), clock_(clock) {
        qApp->installEventFilter(this);
    }
    ~PaintWatch() override { qApp->removeEventFilter(this); }

    void arm() { armed_ = true; }
    double paintedMs() const { return paintedMs_; }
    double paintedCpuMs() const { return paintedCpuMs_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!armed_ || paintedMs_ >= 0) return false;
        if (painting_) {
            paintedMs_ = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
            paintedCpuMs_ = CpuMs(RUSAGE_THREAD);
        } else if (watched == viewport_ && event->type() == QEvent::Paint) {
            painting_ = true;
        }
        return false;
    }

private:
    QWidget* viewport_;
    const QElapsedTimer& clock_;
    bool armed_ = false;
    bool painting_ = false;
    double paintedMs_ = -1;
    double paintedCpuMs_ = 0;
};

// Prints: ms of the enumeration, files found, CPU ms it took.
int EnumerateOnce(const std::string& root) {
    QElapsedTimer clock;
    const double cpu = CpuMs(RUSAGE_THREAD);
    clock.start();
    std::vector<std::string> paths;
    Enumerate(root, paths);
    std::printf("%.3f %zu %.3f\n", static_cast<double>(clock.nsecsElapsed()) / 1e6, paths.size(),
                CpuMs(RUSAGE_THREAD) - cpu);
    return 0;
}

// Prints: ms until the entries are in the list, until the list is painted,
// until the first marks are shown, until every mark is; entries; MB over the
// idle windows once the marks are settled; CPU ms of the window's thread
// until painted, of every thread until settled.
int AddOnce(const std::string& root) {
    kestrix::session::Session session;
    MainWindow window{session};
    window.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    const double idle = ResidentMegabytes();

    QElapsedTimer clock;
    PaintWatch paint(window.fileListView->viewport(), clock);
    double firstMarksMs = -1;
    QObject::connect(&session, &kestrix::session::Session::conflictsChanged, [&] {
        if (firstMarksMs < 0) firstMarksMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    });
    const double threadCpu = CpuMs(RUSAGE_THREAD);
    const double allCpu = CpuMs(RUSAGE_SELF);
    clock.start();
    paint.arm();
    session.addFolderContents(root, {.recurse = true, .folders = false, .files = true});
    const double addedMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    while (paint.paintedMs() < 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    while (!session.conflictsSettled()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double settledMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf("%.3f %.3f %.3f %.3f %d %.1f %.3f %.3f\n", addedMs, paint.paintedMs(), firstMarksMs,
                settledMs, session.entryCount(), ResidentMegabytes() - idle, paint.paintedCpuMs() - threadCpu,
                CpuMs(RUSAGE_SELF) - allCpu);
    std::fflush(stdout);
    return 0;
}

}  // namespace

std::vector<double> MeasureInFreshProcess(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"/proc/self/exe", "--fresh"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string text;
    char buffer[512];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    close(out[0]);
    if (spawned != 0) return {};
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    std::vector<double> figures;
    std::istringstream line(text);
    for (double figure; line >> figure;) figures.push_back(figure);
    return figures;
}

int RunFreshMeasurement(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[1], "--fresh") != 0) return -1;
    const std::string what = argv[2];
    if (what == "enumerate") return EnumerateOnce(argv[3]);
    if (what == "add") return AddOnce(argv[3]);
    return 2;
}

}  // namespace bench
