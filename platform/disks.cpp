#include "disks.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>

#include <QFile>
#include <QStorageInfo>

#include <sys/stat.h>

namespace kestrix::platform {

namespace {

// File system types that hold no local disk: memory, kernel views, layered
// container images and everything reached over a network.
bool IsPseudoOrNetwork(const std::string& type) {
    static const char* const kTypes[] = {"tmpfs",
                                         "devtmpfs",
                                         "ramfs",
                                         "proc",
                                         "sysfs",
                                         "devpts",
                                         "cgroup",
                                         "cgroup2",
                                         "securityfs",
                                         "debugfs",
                                         "tracefs",
                                         "configfs",
                                         "pstore",
                                         "bpf",
                                         "mqueue",
                                         "hugetlbfs",
                                         "autofs",
                                         "binfmt_misc",
                                         "fusectl",
                                         "efivarfs",
                                         "rpc_pipefs",
                                         "nsfs",
                                         "overlay",
                                         "squashfs",
                                         "iso9660",
                                         "udf",
                                         "nfs",
                                         "nfs4",
                                         "cifs",
                                         "smb3",
                                         "smbfs",
                                         "9p",
                                         "virtiofs",
                                         "ceph",
                                         "glusterfs",
                                         "afs",
                                         "sshfs",
                                         "fuse.sshfs",
                                         "fuse.rclone",
                                         "fuse.s3fs",
                                         "fuse.gvfsd-fuse",
                                         "fuse.portal",
                                         "fuse.lxcfs",
                                         "fuse.snapfuse",
                                         "fuse.appimage"};
    return std::find_if(std::begin(kTypes), std::end(kTypes),
                        [&](const char* known) { return type == known; }) != std::end(kTypes);
}

// /sys/class/block/<name>/removable, or that of the whole disk for a
// partition; a device whose answer cannot be found counts as fixed.
bool IsRemovable(const std::string& device) {
    char* resolved = realpath(device.c_str(), nullptr);
    if (!resolved) return false;
    const std::string real = resolved;
    free(resolved);
    const std::string name = real.substr(real.rfind('/') + 1);
    const std::string block = "/sys/class/block/" + name;
    for (const std::string& candidate : {block + "/removable", block + "/../removable"}) {
        std::ifstream in(candidate);
        char flag = 0;
        if (in >> flag) return flag == '1';
    }
    return false;
}

bool IsFolderPath(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string RootOf(const std::string& mountPoint) {
    return mountPoint.empty() || mountPoint.back() == '/' ? mountPoint : mountPoint + "/";
}

}  // namespace

std::vector<LocalDisk> LocalDisks() {
    std::vector<LocalDisk> disks{{"/", std::string()}};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) continue;
        const std::string mountPoint = QFile::encodeName(volume.rootPath()).toStdString();
        const std::string label = volume.name().toStdString();
        if (mountPoint == "/") {
            disks.front().label = label;
            continue;
        }
        const std::string device = volume.device().toStdString();
        if (device.rfind("/dev/", 0) != 0) continue;
        if (IsPseudoOrNetwork(volume.fileSystemType().toStdString())) continue;
        // Files bind-mounted into a container (/etc/hosts) are no disks.
        if (!IsFolderPath(mountPoint) || IsRemovable(device)) continue;
        const std::string root = RootOf(mountPoint);
        const bool known =
            std::any_of(disks.begin(), disks.end(), [&](const LocalDisk& disk) { return disk.root == root; });
        if (!known) disks.push_back({root, label});
    }
    return disks;
}

std::string DiskRootOf(const std::string& folder, const std::vector<LocalDisk>& disks) {
    const std::string path = RootOf(folder);
    std::string best;
    for (const LocalDisk& disk : disks) {
        if (disk.root.size() > best.size() && path.compare(0, disk.root.size(), disk.root) == 0) {
            best = disk.root;
        }
    }
    return best;
}

}  // namespace kestrix::platform
