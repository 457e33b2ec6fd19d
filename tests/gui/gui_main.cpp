#include <gtest/gtest.h>

#include "app/application.h"

// One QApplication for the whole test binary, on the offscreen platform unless
// the caller chose another (an X server, for tests that need one).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    KestrixApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrix"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
