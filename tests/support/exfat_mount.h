#pragma once

// A case-insensitive file system without hard links, where the kernel refuses
// RENAME_NOREPLACE: an exFAT image mounted through FUSE on a loop device.
// Needs root and the exFAT tools; what uses it is skipped where they are
// missing, with the reason.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::testing {

inline std::string FindTool(const std::string& name) {
    std::string dirs = getenv("PATH") ? getenv("PATH") : "";
    dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

inline std::string Quoted(const std::string& text) { return "'" + text + "'"; }

inline bool RunCommand(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string CommandOutput(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// A fresh exFAT volume of `megabytes`, mounted until the object goes.
class ExfatMount {
public:
    explicit ExfatMount(int megabytes = 32) : megabytes_(megabytes) {}
    ~ExfatMount() { unmount(); }
    ExfatMount(const ExfatMount&) = delete;
    ExfatMount& operator=(const ExfatMount&) = delete;

    // Mounts; returns why it could not, or an empty string.
    std::string mount() {
        if (geteuid() != 0) {
            return "attaching a loop device and mounting need root; not covered: a file system that holds "
                   "names equal but for letter case as one name, without hard links or RENAME_NOREPLACE";
        }
        if (access("/dev/loop-control", F_OK) != 0) return "no /dev/loop-control";
        if (access("/dev/fuse", F_OK) != 0) return "no /dev/fuse";
        const std::string mkfs = FindTool("mkfs.exfat");
        const std::string mountFuse = FindTool("mount.exfat-fuse");
        losetup_ = FindTool("losetup");
        umount_ = FindTool("umount");
        if (mkfs.empty() || mountFuse.empty() || losetup_.empty() || umount_.empty()) {
            return "mkfs.exfat, mount.exfat-fuse, losetup or umount missing (exfatprogs, exfat-fuse)";
        }
        if (temp_.path().empty()) return "no temporary folder";

        const std::string image = temp_ / "volume.img";
        if (!platform::testing::WriteFile(image, "") || truncate(image.c_str(), off_t(megabytes_) << 20) != 0)
            return "cannot create the image";
        if (!RunCommand(mkfs + " " + Quoted(image))) return "mkfs.exfat failed";
        device_ = CommandOutput(losetup_ + " -f --show " + Quoted(image));
        if (device_.rfind("/dev/", 0) != 0) {
            device_.clear();
            return "losetup could not attach the image";
        }
        root_ = temp_ / "mnt";
        if (mkdir(root_.c_str(), 0755) != 0) return "cannot create the mount point";
        if (!RunCommand(mountFuse + " " + Quoted(device_) + " " + Quoted(root_)))
            return "mount.exfat-fuse failed";
        mounted_ = true;

        struct stat inside, outside;
        if (stat(root_.c_str(), &inside) != 0 || stat(temp_.path().c_str(), &outside) != 0 ||
            inside.st_dev == outside.st_dev) {
            return "the mount did not take place";
        }
        return std::string();
    }

    // False when something could not be undone.
    bool unmount() {
        bool clean = true;
        if (mounted_ && !RunCommand(umount_ + " " + Quoted(root_)) &&
            !RunCommand(umount_ + " -l " + Quoted(root_)))
            clean = false;
        mounted_ = false;
        if (!device_.empty() && !RunCommand(losetup_ + " -d " + Quoted(device_))) clean = false;
        device_.clear();
        return clean;
    }

    // The mount point, without a trailing '/'.
    const std::string& root() const { return root_; }

private:
    int megabytes_;
    platform::testing::TempFolder temp_;
    std::string root_;
    std::string device_;
    std::string losetup_;
    std::string umount_;
    bool mounted_ = false;
};

}  // namespace kestrix::testing
