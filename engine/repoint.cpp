#include "repoint.h"

#include <algorithm>
#include <limits>

namespace kestrix {

namespace {

std::string_view WithoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    return path;
}

}  // namespace

void HoldingFolders::addParentsOf(std::string_view path) {
    // Paths of one folder usually come together: stop at the first folder
    // already known, since its own parents are known too.
    for (std::size_t slash = path.rfind('/'); slash != std::string_view::npos && slash > 0;
         slash = path.rfind('/', slash - 1)) {
        const std::string_view folder = path.substr(0, slash);
        if (folders_.find(folder) != folders_.end()) return;
        folders_.emplace(folder);
    }
}

bool HoldingFolders::contains(std::string_view folder) const {
    return folders_.find(WithoutTrailingSlash(folder)) != folders_.end();
}

void FolderMoves::record(std::string_view from, std::string_view to) {
    from = WithoutTrailingSlash(from);
    to = WithoutTrailingSlash(to);
    if (from.empty() || from == to) return;
    moves_[std::string(from)].push_back(Move{count_++, std::string(to)});
}

std::string FolderMoves::repoint(std::string_view path, std::size_t since, bool itself) const {
    std::string result(path);
    if (since >= count_) return result;

    // Renames apply in the order they happened: find the earliest rename not
    // yet applied whose folder holds the path as it stands, apply it, and look
    // again among the later ones.
    std::size_t nextSequence = since;
    for (;;) {
        std::size_t bestSequence = std::numeric_limits<std::size_t>::max();
        std::size_t bestLength = 0;
        const std::string* bestTarget = nullptr;
        auto consider = [&](std::size_t length) {
            const auto found = moves_.find(std::string_view(result).substr(0, length));
            if (found == moves_.end()) return;
            const std::vector<Move>& moves = found->second;
            const auto move = std::lower_bound(moves.begin(), moves.end(), nextSequence,
                                               [](const Move& m, std::size_t s) { return m.sequence < s; });
            if (move != moves.end() && move->sequence < bestSequence) {
                bestSequence = move->sequence;
                bestLength = length;
                bestTarget = &move->to;
            }
        };
        for (std::size_t slash = result.find('/', 1); slash != std::string::npos;
             slash = result.find('/', slash + 1)) {
            consider(slash);
        }
        if (itself) consider(WithoutTrailingSlash(result).size());
        if (!bestTarget) return result;
        result.replace(0, bestLength, *bestTarget);
        nextSequence = bestSequence + 1;
    }
}

}  // namespace kestrix
