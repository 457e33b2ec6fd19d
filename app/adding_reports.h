#pragma once

#include <cstddef>
#include <string>

#include <QString>
#include <QStringList>

namespace kestrix::session {
class LeftOutItems;
}

// What the main window tells the user after adding: the items left out
// because their path is too long to rename or because they are FIFOs, sockets
// or device nodes, and the file dialog's picks that
// name no single item on disk.
QString LeftOutText(const kestrix::session::LeftOutItems& leftOut);
QString UnmatchedPicksText(const QStringList& unmatched);
// Whether to add the contents of a dropped `folder` too, one of `folders` dropped at once.
QString FolderContentsQuestion(const std::string& folder, std::size_t folders);
