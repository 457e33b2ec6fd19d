#pragma once

#include <QApplication>

// The application object: an error that escapes an event handler is shown in
// a message box with its text, and the program goes on.
class KestrixApplication : public QApplication {
public:
    KestrixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error that escaped a handler or start-up (an empty text for an error of unknown kind).
void ShowUnhandledError(const QString& message);

// Loads Qt's own Polish translation so standard buttons and dialogs speak Polish.
void InstallPolishTranslation(QCoreApplication& app);
