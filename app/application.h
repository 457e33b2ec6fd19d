#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>

// The application object: an error that escapes an event handler is shown in
// a message box with its text, and the program goes on. This is the last net
// only: the program's own failures come back as values and are reported where
// they happen.
class KestrixApplication : public QApplication {
public:
    KestrixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The window that owns the error message box (none: the box stands alone).
    void setErrorOwner(QWidget* owner) { errorOwner_ = owner; }
    // Shows an error that escaped a handler or the start-up (an empty text for
    // an error of unknown kind).
    void showUnhandledError(const QString& message);

private:
    QPointer<QWidget> errorOwner_;
};

// Loads Qt's own Polish translation so standard buttons and dialogs speak Polish.
void InstallPolishTranslation(QCoreApplication& app);
