#pragma once

#include <string>
#include <vector>

namespace kestrix::platform {

struct LocalDisk {
    std::string root;   // mount point followed by '/': "/", "/home/"
    std::string label;  // volume label, possibly empty
};

// Mounted local disk file systems (valid, ready, on a block device, not
// removable, not network or pseudo file systems), "/" always first.
std::vector<LocalDisk> LocalDisks();

// The root (mount point + '/') of the local disk that holds `folder`: the
// longest matching root among `disks`, or "" when none matches.
std::string DiskRootOf(const std::string& folder, const std::vector<LocalDisk>& disks);

}  // namespace kestrix::platform
