#include "app/application.h"

#include <exception>

#include <QLibraryInfo>
#include <QTranslator>

#include "ui/dialogs.h"

KestrixApplication::KestrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KestrixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        showUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        showUnhandledError(QString());
    }
    return false;
}

void KestrixApplication::showUnhandledError(const QString& message) {
    kestrix::ui::ShowMessage(errorOwner_, QMessageBox::Critical, QApplication::applicationName(), message);
}

void InstallPolishTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
}
