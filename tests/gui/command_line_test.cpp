// The command line: files and folders to add, --help, --version, misuse.
#include "app/command_line.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using kestrix::ui::CommandLine;
using kestrix::ui::ParseCommandLine;
using Strings = std::vector<std::string>;

CommandLine Parse(const Strings& arguments, const std::string& currentFolder = "/home/ala/zdjęcia") {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), currentFolder);
}

TEST(CommandLine, NamesFilesAndFoldersByAbsolutePathsKeepingTheirBytes) {
    struct Case {
        Strings arguments;
        Strings paths;
    };
    const Case cases[] = {
        {{"kestrix"}, {}},
        {{"kestrix", "a.jpg", "/tmp/b.jpg"}, {"/home/ala/zdjęcia/a.jpg", "/tmp/b.jpg"}},
        {{"kestrix", "caf\xE9.jpg"}, {"/home/ala/zdjęcia/caf\xE9.jpg"}},  // not UTF-8
        {{"kestrix", "./sub//dir/", "../x", "/"},
         {"/home/ala/zdjęcia/sub/dir", "/home/ala/zdjęcia/../x", "/"}},
        {{"kestrix", "-"}, {"/home/ala/zdjęcia/-"}},
        {{"kestrix", "--", "--help", "-x"}, {"/home/ala/zdjęcia/--help", "/home/ala/zdjęcia/-x"}},
    };
    for (const Case& c : cases) {
        const CommandLine command = Parse(c.arguments);
        EXPECT_EQ(command.action, CommandLine::Action::Run) << c.arguments.size();
        EXPECT_EQ(command.paths, c.paths);
        EXPECT_EQ(command.toolkitArguments, Strings{"kestrix"});
    }
}

TEST(CommandLine, AnArgumentThatNamesNothingIsSetAside) {
    const CommandLine command = Parse({"kestrix", "", "a", "/b"}, "");
    EXPECT_EQ(command.action, CommandLine::Action::Run);
    EXPECT_EQ(command.paths, Strings{"/b"});
    EXPECT_EQ(command.unusable, (Strings{"", "a"}));
}

TEST(CommandLine, HelpVersionAndUnknownOptions) {
    struct Case {
        Strings arguments;
        CommandLine::Action action;
        std::string problem;
    };
    const Case cases[] = {
        {{"kestrix", "--help"}, CommandLine::Action::Help, ""},
        {{"kestrix", "-h"}, CommandLine::Action::Help, ""},
        {{"kestrix", "a.jpg", "--version"}, CommandLine::Action::Version, ""},
        {{"kestrix", "-v"}, CommandLine::Action::Version, ""},
        {{"kestrix", "--", "-h"}, CommandLine::Action::Run, ""},
        {{"kestrix", "--bogus", "--help"}, CommandLine::Action::Misuse, "nieznana opcja '--bogus'"},
        {{"kestrix", "-x"}, CommandLine::Action::Misuse, "nieznana opcja '-x'"},
        {{"kestrix", "-help"}, CommandLine::Action::Misuse, "nieznana opcja '-help'"},
        {{"kestrix", "-style"}, CommandLine::Action::Misuse, "opcja '-style' wymaga wartości"},
    };
    for (const Case& c : cases) {
        const CommandLine command = Parse(c.arguments);
        EXPECT_EQ(command.action, c.action) << c.arguments[1];
        EXPECT_EQ(command.problem, c.problem);
    }
    EXPECT_EQ(kestrix::ui::VersionText(),
              "kestrix 2.0.5\nWolny program na licencji GNU GPL w wersji 3 lub późniejszej.\n");
    EXPECT_EQ(kestrix::ui::UsageText(),
              "Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...\nWięcej informacji: kestrix --help\n");
    EXPECT_EQ(kestrix::ui::HelpText().rfind("Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...\n", 0), 0u);
}

TEST(CommandLine, QtsOwnOptionsGoOnToQtAndNeverBecomePaths) {
    const CommandLine command = Parse(
        {"kestrix", "-platform", "offscreen", "--style=fusion", "-reverse", "-session", "1a2b", "x.jpg"});
    EXPECT_EQ(command.action, CommandLine::Action::Run);
    EXPECT_EQ(command.toolkitArguments, (Strings{"kestrix", "-platform", "offscreen", "--style=fusion",
                                                 "-reverse", "-session", "1a2b"}));
    EXPECT_EQ(command.paths, Strings{"/home/ala/zdjęcia/x.jpg"});
}

// Every option Qt reads itself, in each of its spellings: the value after it
// goes on to Qt too, even one that looks like a file or an option.
TEST(CommandLine, EveryOptionOfQtsOwnGoesOnToQtWithItsValue) {
    const Strings withValue = {
        "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
        "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
        "display",     "geometry",           "title",         "name"};
    for (const std::string& option : withValue) {
        for (const Strings& given : {Strings{"-" + option, "/tmp/value"}, Strings{"--" + option, "-x"},
                                     Strings{"-" + option + "=/tmp/value"}}) {
            Strings arguments = {"kestrix"};
            arguments.insert(arguments.end(), given.begin(), given.end());
            arguments.push_back("a.jpg");
            const CommandLine command = Parse(arguments);
            EXPECT_EQ(command.action, CommandLine::Action::Run) << given[0];
            Strings expected = {"kestrix"};
            expected.insert(expected.end(), given.begin(), given.end());
            EXPECT_EQ(command.toolkitArguments, expected) << given[0];
            EXPECT_EQ(command.paths, Strings{"/home/ala/zdjęcia/a.jpg"}) << given[0];
        }
    }
    for (const std::string& flag : {"-reverse", "--reverse", "-widgetcount", "--widgetcount"}) {
        const CommandLine command = Parse({"kestrix", flag, "a.jpg"});
        EXPECT_EQ(command.action, CommandLine::Action::Run) << flag;
        EXPECT_EQ(command.toolkitArguments, (Strings{"kestrix", flag})) << flag;
        EXPECT_EQ(command.paths, Strings{"/home/ala/zdjęcia/a.jpg"}) << flag;
    }
    // A flag takes no value, and a name that only starts like an option of Qt's is none.
    for (const std::string& misuse : {"-reverse=1", "-styles", "--platforms=x"}) {
        const CommandLine command = Parse({"kestrix", misuse});
        EXPECT_EQ(command.action, CommandLine::Action::Misuse) << misuse;
        EXPECT_EQ(command.problem, "nieznana opcja '" + misuse + "'");
    }
}

}  // namespace
