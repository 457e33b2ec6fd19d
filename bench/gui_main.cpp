// The one main() of the GUI benchmarks: the real windows on the offscreen
// platform unless the caller chose another.
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/application.h"
#include "fresh_process.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The runs journal themselves as they do for a user, in a folder of their own.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    KestrixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    if (const int fresh = bench::RunFreshMeasurement(argc, argv); fresh >= 0) return fresh;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
