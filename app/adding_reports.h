#pragma once

#include <QString>
#include <QStringList>

namespace kestrix::session {
class LeftOutItems;
}

// What the main window tells the user after adding: the items left out
// because their path is too long to rename, and the file dialog's picks that
// name no single item on disk.
QString LeftOutText(const kestrix::session::LeftOutItems& leftOut);
QString UnmatchedPicksText(const QStringList& unmatched);
