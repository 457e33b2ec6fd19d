// The rename on a case-insensitive file system without hard links, where the
// kernel refuses RENAME_NOREPLACE: an exFAT image mounted through FUSE on a
// loop device. Needs root and the exFAT tools; skipped where they are missing.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "folders.h"
#include "rename.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

std::string FindTool(const std::string& name) {
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

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool RunCommand(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe)) text += buffer;
        pclose(pipe);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

class ExfatVolume : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string reason = Mount();
        if (!reason.empty()) GTEST_SKIP() << "exFAT volume not available: " << reason;
    }

    void TearDown() override {
        if (mounted_ && !RunCommand(umount_ + " " + Quoted(root_)) &&
            !RunCommand(umount_ + " -l " + Quoted(root_))) {
            ADD_FAILURE() << "could not unmount " << root_;
        }
        if (!device_.empty() && !RunCommand(losetup_ + " -d " + Quoted(device_))) {
            ADD_FAILURE() << "could not detach " << device_;
        }
    }

    std::string Mount() {
        if (geteuid() != 0) return "attaching a loop device and mounting need root";
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
        if (!WriteFile(image, "") || truncate(image.c_str(), 32 << 20) != 0) return "cannot create the image";
        if (!RunCommand(mkfs + " " + Quoted(image))) return "mkfs.exfat failed";
        device_ = Output(losetup_ + " -f --show " + Quoted(image));
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

    std::string operator/(const std::string& name) const { return root_ + "/" + name; }

    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const FolderItem& item : ListFolder(root_)) names.push_back(item.name);
        return names;
    }

    TempFolder temp_;
    std::string root_;
    std::string device_;
    std::string losetup_;
    std::string umount_;
    bool mounted_ = false;
};

using RenameFunction = RenameResult (*)(const std::string&, const std::string&);

const std::pair<const char*, RenameFunction> kRenames[] = {{"direct", &RenameNoReplace},
                                                           {"fallback", &RenameNoReplaceFallback}};

TEST_F(ExfatVolume, RenamesOntoAFreeName) {
    for (const auto& [path, renameWith] : kRenames) {
        ASSERT_TRUE(WriteFile(*this / "a.txt", "alpha"));
        ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
        ASSERT_TRUE(WriteFile(*this / "dir/inner", "inner"));

        RenameResult result = renameWith(*this / "a.txt", *this / "b.txt");
        ASSERT_TRUE(result.ok) << path << ": " << result.reason;
        result = renameWith(*this / "dir", *this / "folder");
        ASSERT_TRUE(result.ok) << path << ": " << result.reason;

        EXPECT_EQ(Listing(), (std::vector<std::string>{"b.txt", "folder"})) << path;
        EXPECT_EQ(ReadFile(*this / "b.txt"), "alpha");
        EXPECT_EQ(ReadFile(*this / "folder/inner"), "inner");
        ASSERT_EQ(unlink((*this / "b.txt").c_str()), 0);
        ASSERT_EQ(unlink((*this / "folder/inner").c_str()), 0);
        ASSERT_EQ(rmdir((*this / "folder").c_str()), 0);
    }
}

TEST_F(ExfatVolume, NeverReplacesAnotherEntry) {
    ASSERT_TRUE(WriteFile(*this / "a.txt", "one"));
    ASSERT_TRUE(WriteFile(*this / "b.txt", "two"));
    ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((*this / "other").c_str(), 0755), 0);

    // "B.TXT" is "b.txt" to this file system: another file, not a case-only rename.
    const std::pair<const char*, const char*> conflicts[] = {{"a.txt", "b.txt"}, {"a.txt", "B.TXT"},
                                                             {"a.txt", "dir"},   {"dir", "other"},
                                                             {"dir", "OTHER"},   {"dir", "b.txt"}};
    for (const auto& [path, renameWith] : kRenames) {
        for (const auto& [from, to] : conflicts) {
            const RenameResult result = renameWith(*this / from, *this / to);
            EXPECT_FALSE(result.ok) << path << ": " << from << " -> " << to;
            EXPECT_EQ(result.error, EEXIST) << path << ": " << from << " -> " << to;
        }
    }
    EXPECT_EQ(ReadFile(*this / "a.txt"), "one");
    EXPECT_EQ(ReadFile(*this / "b.txt"), "two");
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.txt", "b.txt", "dir", "other"}));
}

TEST_F(ExfatVolume, RenamesToAnotherLetterCase) {
    const std::string lodz =
        "\xC5\x82\xC3\xB3"
        "d\xC5\xBA.txt";  // "łódź.txt"
    const std::string lodzUpper =
        "\xC5\x81\xC3\x93"
        "D\xC5\xB9.TXT";  // "ŁÓDŹ.TXT"
    ASSERT_TRUE(WriteFile(*this / "a.txt", "alpha"));
    ASSERT_TRUE(WriteFile(*this / lodz, "lodz"));
    ASSERT_EQ(mkdir((*this / "dir").c_str(), 0755), 0);
    ASSERT_TRUE(WriteFile(*this / "dir/inner", "inner"));

    struct Step {
        std::string from;
        std::string to;
    };
    const Step steps[] = {{"a.txt", "A.txt"}, {"A.txt", "a.TXT"}, {"dir", "Dir"},
                          {"Dir", "DIR"},     {lodz, lodzUpper},  {lodzUpper, lodz}};
    for (const Step& step : steps) {
        for (const auto& [path, renameWith] : kRenames) {
            const RenameResult there = renameWith(*this / step.from, *this / step.to);
            ASSERT_TRUE(there.ok) << path << ": " << step.from << " -> " << step.to << ": " << there.reason;
            const std::vector<std::string> listing = Listing();
            EXPECT_EQ(std::count(listing.begin(), listing.end(), step.to), 1) << path << ": " << step.to;
            const RenameResult back = renameWith(*this / step.to, *this / step.from);
            ASSERT_TRUE(back.ok) << path << ": " << step.to << " -> " << step.from << ": " << back.reason;
        }
        ASSERT_TRUE(RenameNoReplace(*this / step.from, *this / step.to).ok);
    }
    EXPECT_EQ(Listing(), (std::vector<std::string>{"a.TXT", "DIR", lodz}));
    EXPECT_EQ(ReadFile(*this / "a.TXT"), "alpha");
    EXPECT_EQ(ReadFile(*this / "DIR/inner"), "inner");
    EXPECT_EQ(ReadFile(*this / lodz), "lodz");
}

}  // namespace
}  // namespace kestrix::platform
