#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace kestrix {

struct PathHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// The folders that hold at least one of a set of paths, at any depth. Only a
// rename of one of these can move another item of the set, so a run of
// renames records just those.
class HoldingFolders {
public:
    void addParentsOf(std::string_view path);
    // Whether `folder` (a trailing '/' ignored) holds one of the paths added.
    bool contains(std::string_view folder) const;

private:
    std::unordered_set<std::string, PathHash, std::equal_to<>> folders_;
};

// The folders renamed so far in one run of renames, in the order they were
// renamed, so that a path read later can be re-pointed to where its item is
// now. Paths are full paths as native bytes; a trailing '/' is ignored.
class FolderMoves {
public:
    // The folder (or link to a folder) at `from` is now at `to`. Both are the
    // paths as they were on disk at the moment of the rename.
    void record(std::string_view from, std::string_view to);

    // Where the item known as `path` is after every recorded rename: each
    // rename of a folder that holds it, at any depth, replaces that folder's
    // part of the path, in the order the renames happened. A path naming a
    // renamed folder itself is not inside it and stays as it is. With `since`
    // only the renames from that one on (counted from 0) apply: for a path
    // that was already right when size() was `since`. With `itself`, a
    // rename of the item the path names counts too (a list of renamed items
    // rather than of folders).
    std::string repoint(std::string_view path, std::size_t since = 0, bool itself = false) const;

    bool empty() const { return count_ == 0; }
    // How many renames have been recorded.
    std::size_t size() const { return count_; }

private:
    struct Move {
        std::size_t sequence;
        std::string to;
    };
    // Keyed by the folder's path before the rename; one folder path can be
    // renamed more than once in a run (a/ away, b/ into a/, a/ away again).
    std::unordered_map<std::string, std::vector<Move>, PathHash, std::equal_to<>> moves_;
    std::size_t count_ = 0;
};

}  // namespace kestrix
