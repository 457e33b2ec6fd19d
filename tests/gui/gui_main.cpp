#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/application.h"

// One QApplication for the whole test binary, on the offscreen platform unless
// the caller chose another (an X server, for tests that need one).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Journals of runs go to a folder of this test binary's own, never the user's.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
    KestrixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
