#pragma once

// A case-sensitive FUSE file system: a fresh folder mirrored through bindfs.
// Like every FUSE file system it refuses RENAME_NOREPLACE, and its folders
// report FUSE's magic number, so the rename takes the paths it takes on FUSE
// with letter case kept apart. Needs /dev/fuse and bindfs (root, or a user
// who may mount through fusermount); what uses it is skipped where either is
// missing, with the reason.

#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "exfat_mount.h"
#include "test_support.h"

namespace kestrix::testing {

class BindfsMount {
public:
    BindfsMount() = default;
    ~BindfsMount() { unmount(); }
    BindfsMount(const BindfsMount&) = delete;
    BindfsMount& operator=(const BindfsMount&) = delete;

    // Mounts; returns why it could not, or an empty string.
    std::string mount() {
        if (access("/dev/fuse", R_OK | W_OK) != 0) return "no /dev/fuse this user may open";
        const std::string bindfs = FindTool("bindfs");
        unmountTool_ = FindTool(geteuid() == 0 ? "umount" : "fusermount");
        if (bindfs.empty() || unmountTool_.empty()) return "bindfs or fusermount missing (bindfs, fuse)";
        if (temp_.path().empty()) return "no temporary folder";
        const std::string source = temp_ / "source";
        root_ = temp_ / "mnt";
        if (mkdir(source.c_str(), 0755) != 0 || mkdir(root_.c_str(), 0755) != 0)
            return "cannot create the folders";
        if (!RunCommand(bindfs + " " + Quoted(source) + " " + Quoted(root_))) return "bindfs failed";
        mounted_ = true;
        struct stat inside, outside;
        if (stat(root_.c_str(), &inside) != 0 || stat(temp_.path().c_str(), &outside) != 0 ||
            inside.st_dev == outside.st_dev) {
            return "the mount did not take place";
        }
        return std::string();
    }

    // False when the mount could not be undone.
    bool unmount() {
        if (!mounted_) return true;
        const std::string how = geteuid() == 0 ? " " : " -u ";
        const bool clean = RunCommand(unmountTool_ + how + Quoted(root_)) ||
                           RunCommand(unmountTool_ + (geteuid() == 0 ? " -l " : " -uz ") + Quoted(root_));
        mounted_ = false;
        return clean;
    }

    // The mount point, without a trailing '/'.
    const std::string& root() const { return root_; }

private:
    platform::testing::TempFolder temp_;
    std::string root_;
    std::string unmountTool_;
    bool mounted_ = false;
};

}  // namespace kestrix::testing
