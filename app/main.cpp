#include <exception>

#include <QIcon>

#include "app/application.h"
#include "app/form1.h"
#include "options/form4.h"

int main(int argc, char** argv) {
    KestrixApplication app(argc, argv);
    try {
        QApplication::setApplicationName(QStringLiteral("Kestrix"));
        QApplication::setDesktopFileName(QStringLiteral("kestrix"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kestrix.svg")));
        InstallPolishTranslation(app);

        TForm1 form1;
        Form1 = &form1;
        TForm4 form4(&form1);
        Form4 = &form4;
        form1.show();
        QApplication::exec();
        Form4 = nullptr;
        Form1 = nullptr;
    } catch (const std::exception& error) {
        ShowUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowUnhandledError(QString());
    }
    return 0;
}
