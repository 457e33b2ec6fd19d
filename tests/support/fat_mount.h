#pragma once

// A FAT volume (the kernel's vfat) on a loop device, as a memory card or an
// older USB stick holds one. Needs root, the FAT tools and the kernel's vfat
// driver; what uses it is skipped where they are missing, with the reason.

#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "exfat_mount.h"

namespace kestrix::testing {

// A fresh FAT volume of `megabytes`, mounted until the object goes.
class FatMount {
public:
    explicit FatMount(int megabytes = 32) : megabytes_(megabytes) {}
    ~FatMount() { unmount(); }
    FatMount(const FatMount&) = delete;
    FatMount& operator=(const FatMount&) = delete;

    // Mounts; returns why it could not, or an empty string.
    std::string mount() {
        if (geteuid() != 0) return "attaching a loop device and mounting need root";
        const std::string mkfs = FindTool("mkfs.fat");
        const std::string mountTool = FindTool("mount");
        umount_ = FindTool("umount");
        if (mkfs.empty() || mountTool.empty() || umount_.empty())
            return "mkfs.fat, mount or umount missing (dosfstools)";
        if (temp_.path().empty()) return "no temporary folder";
        const std::string image = temp_ / "volume.img";
        if (!platform::testing::WriteFile(image, "") || truncate(image.c_str(), off_t(megabytes_) << 20) != 0)
            return "cannot create the image";
        if (!RunCommand(mkfs + " " + Quoted(image))) return "mkfs.fat failed";
        root_ = temp_ / "mnt";
        if (mkdir(root_.c_str(), 0755) != 0) return "cannot create the mount point";
        if (!RunCommand(mountTool + " -t vfat -o loop " + Quoted(image) + " " + Quoted(root_))) {
            if (KernelHasVfat()) return "mount -t vfat -o loop failed";
            return "the kernel here has no vfat driver (none in /proc/filesystems, none loaded on mounting); "
                   "not "
                   "covered: the names a FAT volume refuses beyond exFAT's (a trailing space or dot)";
        }
        mounted_ = true;
        return std::string();
    }

    bool unmount() {
        const bool clean = !mounted_ || RunCommand(umount_ + " " + Quoted(root_)) ||
                           RunCommand(umount_ + " -l " + Quoted(root_));
        mounted_ = false;
        return clean;
    }

    const std::string& root() const { return root_; }

private:
    static bool KernelHasVfat() {
        std::ifstream known("/proc/filesystems");
        std::string line;
        while (std::getline(known, line))
            if (line.size() >= 4 && line.compare(line.size() - 4, 4, "vfat") == 0) return true;
        return false;
    }

    int megabytes_;
    platform::testing::TempFolder temp_;
    std::string root_;
    std::string umount_;
    bool mounted_ = false;
};

}  // namespace kestrix::testing
