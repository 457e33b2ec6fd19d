#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include <QIcon>

#include "app/application.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "platform/folders.h"
#include "session/session.h"

int main(int argc, char** argv) {
    // Before Qt starts, so --help and --version work without a display.
    const kestrix::ui::CommandLine command =
        kestrix::ui::ParseCommandLine(argc, argv, kestrix::platform::CurrentFolder());
    switch (command.action) {
        case kestrix::ui::CommandLine::Action::Help:
            std::fputs(kestrix::ui::HelpText().c_str(), stdout);
            return 0;
        case kestrix::ui::CommandLine::Action::Version:
            std::fputs(kestrix::ui::VersionText().c_str(), stdout);
            return 0;
        case kestrix::ui::CommandLine::Action::Misuse:
            std::fprintf(stderr, "kestrix: %s\n%s", command.problem.c_str(),
                         kestrix::ui::UsageText().c_str());
            return 2;
        case kestrix::ui::CommandLine::Action::Run:
            break;
    }
    std::vector<std::string> paths;
    for (const std::string& path : command.paths) {
        if (kestrix::platform::Exists(path)) {
            paths.push_back(path);
        } else {
            std::fprintf(stderr, "kestrix: %s: nie ma takiego pliku ani katalogu\n", path.c_str());
        }
    }
    for (const std::string& argument : command.unusable) {
        std::fprintf(stderr, "kestrix: '%s': nie ma takiego pliku ani katalogu\n", argument.c_str());
    }

    // Qt sees only its own options, so it never takes a file name for one.
    std::vector<std::string> toolkitArguments = command.toolkitArguments;
    std::vector<char*> toolkitArgv;
    for (std::string& argument : toolkitArguments) toolkitArgv.push_back(argument.data());
    toolkitArgv.push_back(nullptr);
    int toolkitArgc = static_cast<int>(toolkitArguments.size());

    KestrixApplication app(toolkitArgc, toolkitArgv.data());
    try {
        QApplication::setApplicationName(QStringLiteral("Kestrix"));
        QApplication::setDesktopFileName(QStringLiteral("kestrix"));
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kestrix.svg")));
        InstallPolishTranslation(app);

        kestrix::session::Session session;
        MainWindow window(session);
        app.setErrorOwner(&window);
        window.show();
        // Added as a drop adds them, once the window shows.
        if (!paths.empty()) window.addDroppedPathsLater(paths);
        QApplication::exec();
    } catch (const std::exception& error) {
        app.showUnhandledError(QString::fromUtf8(error.what()));
    } catch (...) {
        app.showUnhandledError(QString());
    }
    return 0;
}
