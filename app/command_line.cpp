#include "app/command_line.h"

#include <algorithm>
#include <string_view>

namespace kestrix::ui {

namespace {

// Qt's own options that take a value, and those that stand alone; they go
// on to Qt (a session manager restarts the program with -session, for one).
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
    "display",     "geometry",           "title",         "name"};
constexpr std::string_view kToolkitFlags[] = {"reverse", "widgetcount"};

template <std::size_t N>
bool IsOneOf(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The absolute path of an argument: joined to `currentFolder` when
// relative; "." parts and repeated or trailing '/' dropped.
std::string AbsolutePath(const std::string& argument, const std::string& currentFolder) {
    const std::string joined = argument[0] == '/' ? argument : currentFolder + "/" + argument;
    std::string path;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string_view part(joined.data() + start, end - start);
        if (!part.empty() && part != ".") {
            path += '/';
            path.append(part);
        }
        start = end + 1;
    }
    return path.empty() ? "/" : path;
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& currentFolder) {
    CommandLine command;
    command.toolkitArguments.push_back(argc > 0 && argv[0] ? argv[0] : "kestrix");
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            if (argument == "--help" || argument == "-h") {
                command.action = CommandLine::Action::Help;
                return command;
            }
            if (argument == "--version" || argument == "-v") {
                command.action = CommandLine::Action::Version;
                return command;
            }
            // Qt's options: -name, --name, -name=value, and -name value.
            std::string_view name = argument;
            name.remove_prefix(name.compare(0, 2, "--") == 0 ? 2 : 1);
            const std::size_t equals = name.find('=');
            const std::string_view bare = name.substr(0, equals);
            if (IsOneOf(bare, kToolkitFlags) && equals == std::string_view::npos) {
                command.toolkitArguments.push_back(argument);
                continue;
            }
            if (IsOneOf(bare, kToolkitOptionsWithValue)) {
                command.toolkitArguments.push_back(argument);
                if (equals != std::string_view::npos) continue;
                if (i + 1 < argc) {
                    command.toolkitArguments.push_back(argv[++i]);
                    continue;
                }
                command.action = CommandLine::Action::Misuse;
                command.problem = "opcja '" + argument + "' wymaga wartości";
                return command;
            }
            command.action = CommandLine::Action::Misuse;
            command.problem = "nieznana opcja '" + argument + "'";
            return command;
        }
        if (argument.empty() || (argument[0] != '/' && currentFolder.empty())) {
            command.unusable.push_back(argument);
            continue;
        }
        command.paths.push_back(AbsolutePath(argument, currentFolder));
    }
    return command;
}

std::string HelpText() {
    return "Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...\n"
           "Zmiana nazw wielu plików i katalogów naraz, z podglądem na żywo.\n"
           "\n"
           "Podane pliki i katalogi trafiają na listę, gdy okno się otworzy, tak jakby\n"
           "zostały na nie upuszczone: przy każdym katalogu program pyta, czy dodać\n"
           "też jego zawartość.\n"
           "\n"
           "  -h, --help     pokazuje tę pomoc i kończy działanie\n"
           "  -v, --version  pokazuje wersję i kończy działanie\n"
           "  --             kończy opcje: każdy dalszy argument to plik lub katalog\n"
           "\n"
           "Opcje samego Qt (-platform, -style, -session i podobne) trafiają do Qt.\n";
}

std::string VersionText() {
    return std::string("kestrix ") + KESTRIX_VERSION +
           "\n"
           "Wolny program na licencji GNU GPL w wersji 3 lub późniejszej.\n";
}

std::string UsageText() {
    return "Użycie: kestrix [OPCJA]... [PLIK|KATALOG]...\n"
           "Więcej informacji: kestrix --help\n";
}

}  // namespace kestrix::ui
