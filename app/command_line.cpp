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
            if (argument == "--help") {
                command.action = CommandLine::Action::Help;
                return command;
            }
            if (argument == "--version") {
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
                command.problem = "option '" + argument + "' needs a value";
                return command;
            }
            command.action = CommandLine::Action::Misuse;
            command.problem = "unknown option '" + argument + "'";
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
    return "Usage: kestrix [OPTION]... [FILE|FOLDER]...\n"
           "Rename many files and folders at once, with a live preview.\n"
           "\n"
           "The files and folders named are added to the list when the window opens,\n"
           "as if they were dropped onto it: for each folder the program asks whether\n"
           "to add its contents too.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n"
           "  --         end the options: every argument after it is a file or folder\n"
           "\n"
           "Qt's own options (-platform, -style, -session and the like) are passed on\n"
           "to Qt.\n";
}

std::string VersionText() { return std::string("kestrix ") + KESTRIX_VERSION + "\n"; }

std::string UsageText() {
    return "Usage: kestrix [OPTION]... [FILE|FOLDER]...\n"
           "Try 'kestrix --help' for more information.\n";
}

}  // namespace kestrix::ui
