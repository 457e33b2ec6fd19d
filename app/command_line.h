#pragma once

#include <string>
#include <vector>

namespace kestrix::ui {

// What the command line `kestrix [OPTION]... [FILE|FOLDER]...` asks for.
struct CommandLine {
    enum class Action { Run, Help, Version, Misuse };
    Action action = Action::Run;
    // The files and folders named, as absolute paths, their bytes as given:
    // relative ones joined to the current folder, "." parts and repeated or
    // trailing '/' dropped ("..", which may cross a link, stays).
    std::vector<std::string> paths;
    // Arguments that name nothing (an empty one, or a relative one when the
    // current folder is unknown).
    std::vector<std::string> unusable;
    // The program's name followed by Qt's own options (-platform, -style and
    // the like, with their values), for the application object.
    std::vector<std::string> toolkitArguments;
    // For Misuse: what was wrong, as one line.
    std::string problem;
};

// Reads argv; `currentFolder` is the folder relative paths start from
// (empty when unknown). "--help" ("-h") or "--version" ("-v") anywhere
// before "--" wins;
// any other argument starting with '-' (Qt's options aside) is a misuse;
// after "--" every argument is a file or folder.
CommandLine ParseCommandLine(int argc, const char* const* argv, const std::string& currentFolder);

// The texts for the terminal, in Polish as the windows are.
std::string HelpText();
std::string VersionText();
// The short usage shown after a misuse.
std::string UsageText();

}  // namespace kestrix::ui
