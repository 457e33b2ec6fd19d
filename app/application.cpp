#include "app/application.h"

#include <exception>

#include <QLibraryInfo>
#include <QTranslator>

#include "app/dialogs.h"
#include "app/form1.h"

KestrixApplication::KestrixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KestrixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowUnhandledError(QString());
    }
    return false;
}

void ShowUnhandledError(const QString& message) {
    kestrix::ui::showMessage(Form1, QMessageBox::Critical, QApplication::applicationName(), message);
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
