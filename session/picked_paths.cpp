#include "session/picked_paths.h"

#include <QFile>

namespace kestrix::session {

namespace {

bool HoldsReplacementCharacter(const QString& text) {
    return text.contains(QChar(QChar::ReplacementCharacter));
}

}  // namespace

std::optional<std::string> PickedPathMatcher::match(const QString& picked) {
    if (!picked.startsWith(QLatin1Char('/'))) return std::nullopt;
    const std::string whole = QFile::encodeName(picked).toStdString();
    // Text without U+FFFD came from valid UTF-8, which encodes back to the same bytes.
    if (!HoldsReplacementCharacter(picked) && platform::Exists(whole)) return whole;

    std::string path;
    for (const QString& part : picked.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const std::string bytes = QFile::encodeName(part).toStdString();
        if (!HoldsReplacementCharacter(part) && platform::Exists(path + '/' + bytes)) {
            path += '/' + bytes;
            continue;
        }
        const std::string* found = nullptr;
        for (const platform::FolderItem& item : listing(path.empty() ? std::string("/") : path)) {
            if (QFile::decodeName(QByteArray::fromStdString(item.name)) != part) continue;
            if (found) return std::nullopt;  // two items read the same: which one was picked is unknown
            found = &item.name;
        }
        if (!found) return std::nullopt;
        path += '/' + *found;
    }
    if (path.empty()) return std::nullopt;
    return path;
}

const std::vector<platform::FolderItem>& PickedPathMatcher::listing(const std::string& folder) {
    auto it = listings_.find(folder);
    if (it == listings_.end()) it = listings_.emplace(folder, platform::ListFolder(folder)).first;
    return it->second;
}

}  // namespace kestrix::session
