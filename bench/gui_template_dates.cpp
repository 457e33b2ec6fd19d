// A name template with the date a photo was taken over 10,000 real JPEGs:
// the first refresh, which waits for the dates to be read, and each later
// keystroke, which finds them in the cache, beside a keystroke of a rule that
// needs no facts (the replacement of characters) in the same list.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <time.h>

#include "app/main_window.h"
#include "engine/name_transform.h"
#include "media_files.h"
#include "options/extra_rules_window.h"
#include "options/rename_options_window.h"
#include "session/session.h"

namespace {

constexpr int PhotoCount = 10'000;
constexpr int Keystrokes = 20;

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The CPU time of the window's thread, which the user waits for: the wall
// clock of a loaded machine counts the time others took too, and the marks
// predicted meanwhile on a worker would count in the process's time as far
// as that worker happened to get.
double CpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void BM_DateTemplateOverPhotos(benchmark::State& state) {
    QTemporaryDir folder;
    std::vector<kestrix::ListEntry> entries;
    entries.reserve(PhotoCount);
    const kestrix::RenameRules none = kestrix::RenameRules::From(kestrix::RenameOptions{}).value();
    for (int i = 0; i < PhotoCount; ++i) {
        const std::string path = folder.path().toStdString() + "/IMG_" + std::to_string(10000 + i) + ".jpg";
        char date[32];
        std::snprintf(date, sizeof date, "2024:%02d:%02d 10:%02d:%02d", 1 + i % 12, 1 + i % 28, i % 60,
                      (i / 60) % 60);
        media::MakeJpeg(path, {{"Exif.Photo.DateTimeOriginal", date}});
        entries.push_back(kestrix::TransformPath(path, i, PhotoCount, none));
    }
    kestrix::session::Session session;
    session.entryList().append(std::move(entries));
    MainWindow window(session);
    window.show();
    window.showOptionsWindow();
    QApplication::processEvents();
    RenameOptionsWindow& options = *window.findChild<RenameOptionsWindow*>();

    // Keystrokes of a rule without facts: every proposed path changes each time.
    options.replaceBox->click();
    options.replaceFromEdit->setText(QStringLiteral("IMG_"));
    QApplication::processEvents();
    std::vector<double> plain;
    std::vector<double> plainCpu;
    for (int round = 0; round < Keystrokes; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = CpuMilliseconds();
        options.replaceToEdit->setText(round % 2 ? QStringLiteral("nr") : QStringLiteral("no"));
        QApplication::processEvents();
        plain.push_back(MillisecondsSince(start));
        plainCpu.push_back(CpuMilliseconds() - cpu);
    }
    options.replaceBox->click();
    QApplication::processEvents();

    options.moreRulesButton->click();
    ExtraRulesWindow& extra = *options.findChild<ExtraRulesWindow*>();
    // Keystrokes of a template that needs no facts, to tell the template's own cost from the facts'.
    extra.templateBox->click();
    std::vector<double> factless;
    std::vector<double> factlessCpu;
    for (int round = 0; round < Keystrokes; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const double cpu = CpuMilliseconds();
        extra.templateEdit->setText(round % 2 ? QStringLiteral("a[nazwa]") : QStringLiteral("b[nazwa]"));
        QApplication::processEvents();
        factless.push_back(MillisecondsSince(start));
        factlessCpu.push_back(CpuMilliseconds() - cpu);
    }
    extra.templateBox->click();
    QApplication::processEvents();
    session.metadataCache().clear();
    std::vector<double> typed;
    std::vector<double> typedCpu;
    double first = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        extra.templateBox->click();
        extra.templateEdit->setText(QStringLiteral("[data:RRRR-MM-DD] [nazwa]"));
        while (session.factsPending()) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        QApplication::processEvents();
        first = MillisecondsSince(start);
        for (int round = 0; round < Keystrokes; ++round) {
            const auto keystroke = std::chrono::steady_clock::now();
            const double cpu = CpuMilliseconds();
            extra.templateEdit->setText(round % 2 ? QStringLiteral("[data:RRRR-MM-DD] a[nazwa]")
                                                  : QStringLiteral("[data:RRRR-MM-DD] b[nazwa]"));
            QApplication::processEvents();
            typed.push_back(MillisecondsSince(keystroke));
            typedCpu.push_back(CpuMilliseconds() - cpu);
        }
    }
    const std::string& last = session.entryList().at(PhotoCount - 1).proposed;
    if (last.find("/2024-") == std::string::npos || session.factsPending()) {
        state.SkipWithError("the dates did not reach the proposed paths");
    }
    state.counters["first_refresh_ms"] = first;
    state.counters["template_keystroke_ms"] = Median(typed);
    state.counters["plain_keystroke_ms"] = Median(plain);
    state.counters["factless_template_keystroke_ms"] = Median(factless);
    state.counters["ratio"] = Median(typed) / Median(plain);
    state.counters["template_keystroke_cpu_ms"] = Median(typedCpu);
    state.counters["plain_keystroke_cpu_ms"] = Median(plainCpu);
    state.counters["factless_template_keystroke_cpu_ms"] = Median(factlessCpu);
    state.counters["cpu_ratio"] = Median(typedCpu) / Median(plainCpu);
}
BENCHMARK(BM_DateTemplateOverPhotos)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
