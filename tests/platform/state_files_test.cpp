#include "state_files.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "test_support.h"

namespace kestrix::platform {
namespace {

using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;

// Sets an environment variable (or unsets it, for nullopt) until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = getenv(name)) old_ = old;
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedVariable() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(StateFolder, FollowsTheBaseDirectorySpecification) {
    struct Case {
        std::optional<std::string> state;
        std::optional<std::string> home;
        std::string folder;
    };
    const Case cases[] = {
        {"/var/state", "/home/ola", "/var/state/Kestrix/"},
        {"/var/state/", "/home/ola", "/var/state/Kestrix/"},
        {"relative/state", "/home/ola", "/home/ola/.local/state/Kestrix/"},
        {"", "/home/ola", "/home/ola/.local/state/Kestrix/"},
        {std::nullopt, "/home/ola", "/home/ola/.local/state/Kestrix/"},
        {std::nullopt, std::nullopt, ""},
    };
    for (const Case& c : cases) {
        ScopedVariable state("XDG_STATE_HOME", c.state);
        ScopedVariable home("HOME", c.home);
        EXPECT_EQ(StateFolder(), c.folder)
            << c.state.value_or("(unset)") << " " << c.home.value_or("(unset)");
    }
}

TEST(MakeFolders, CreatesTheMissingParentsPrivately) {
    TempFolder temp;
    int error = 0;
    ASSERT_TRUE(MakeFolders(temp / "a/b/c/", error)) << error;
    ASSERT_TRUE(MakeFolders(temp / "a/b/c/", error)) << error;
    struct stat st;
    ASSERT_EQ(stat((temp / "a/b").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ASSERT_TRUE(WriteFile(temp / "file", "x"));
    EXPECT_FALSE(MakeFolders(temp / "file/sub/", error));
    EXPECT_EQ(error, ENOTDIR);
}

TEST(AppendFile, CreatesOnlyANewFileAndHoldsItsLockWhileOpen) {
    TempFolder temp;
    const std::string path = temp / "run.journal";
    {
        AppendFile file;
        ASSERT_TRUE(file.create(path)) << file.error();
        ASSERT_TRUE(file.append("abc", 3));
        ASSERT_TRUE(file.syncData());
        EXPECT_TRUE(IsLocked(path));

        AppendFile again;
        EXPECT_FALSE(again.create(path));
        EXPECT_EQ(again.error(), EEXIST);
        EXPECT_FALSE(again.openExisting(path));
        EXPECT_EQ(again.error(), EWOULDBLOCK);
    }
    EXPECT_FALSE(IsLocked(path));
    AppendFile reopened;
    ASSERT_TRUE(reopened.openExisting(path)) << reopened.error();
    ASSERT_TRUE(reopened.append("def", 3));
    reopened.close();

    std::string content;
    int error = 0;
    ASSERT_TRUE(ReadWholeFile(path, content, error));
    EXPECT_EQ(content, "abcdef");
    EXPECT_EQ(FileNamesIn(temp.path()), std::vector<std::string>{"run.journal"});
    ASSERT_TRUE(RenameFile(path, temp / "run.done", error));
    ASSERT_TRUE(RemoveFile(temp / "run.done", error));
    EXPECT_TRUE(FileNamesIn(temp.path()).empty());
}

}  // namespace
}  // namespace kestrix::platform

namespace kestrix::platform {
namespace {

constexpr uid_t kOtherUser = 65534;  // nobody

// A home handed over with the environment (sudo -E, su -m) belongs to
// another user: the state folder is the process's own user's. Unprivileged,
// "/" stands for another user's home (root's).
TEST(StateFolder, IgnoresAHomeOfAnotherUser) {
    TempFolder temp;
    std::string otherHome = "/";
    if (geteuid() == 0) {
        otherHome = temp / "ola";
        ASSERT_EQ(mkdir(otherHome.c_str(), 0755), 0);
        ASSERT_EQ(chown(otherHome.c_str(), kOtherUser, kOtherUser), 0);
    }
    const passwd* own = getpwuid(geteuid());
    ASSERT_NE(own, nullptr);
    const std::string ownFolder = std::string(own->pw_dir) + "/.local/state/Kestrix/";
    {
        ScopedVariable state("XDG_STATE_HOME", std::nullopt);
        ScopedVariable home("HOME", otherHome);
        EXPECT_EQ(StateFolder(), ownFolder);
    }
    {
        ScopedVariable state("XDG_STATE_HOME", otherHome);
        ScopedVariable home("HOME", otherHome);
        EXPECT_EQ(StateFolder(), ownFolder);
    }
    {
        // Only XDG_STATE_HOME came from elsewhere: the own home serves.
        ScopedVariable state("XDG_STATE_HOME", otherHome);
        ScopedVariable home("HOME", temp.path());
        EXPECT_EQ(StateFolder(), temp.path() + "/.local/state/Kestrix/");
    }
}

TEST(MakeFolders, NeverCreatesAFolderInsideAnotherUsersFolder) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    TempFolder temp;
    const std::string otherHome = temp / "ola";
    ASSERT_EQ(mkdir(otherHome.c_str(), 0755), 0);
    ASSERT_EQ(chown(otherHome.c_str(), kOtherUser, kOtherUser), 0);
    int error = 0;
    EXPECT_FALSE(MakeFolders(otherHome + "/.local/state/Kestrix/", error));
    EXPECT_EQ(error, EPERM);
    EXPECT_FALSE(std::filesystem::exists(otherHome + "/.local"));
}

TEST(OwnFileReader, OpensOnlyTheUsersOwnPrivateRegularFiles) {
    TempFolder temp;
    ASSERT_TRUE(WriteFile(temp / "own", "0123456789"));
    ASSERT_EQ(chmod((temp / "own").c_str(), 0600), 0);
    ASSERT_TRUE(WriteFile(temp / "shared", "x"));
    ASSERT_EQ(chmod((temp / "shared").c_str(), 0620), 0);
    ASSERT_EQ(symlink((temp / "own").c_str(), (temp / "link").c_str()), 0);
    ASSERT_EQ(mkfifo((temp / "fifo").c_str(), 0600), 0);
    struct Case {
        const char* name;
        Privacy privacy;
    };
    std::vector<Case> cases = {{"own", Privacy::Private},
                               {"shared", Privacy::WritableByOthers},
                               {"link", Privacy::NotOwn},
                               {"fifo", Privacy::NotOwn},
                               {"missing", Privacy::Missing}};
    if (geteuid() == 0) {
        ASSERT_TRUE(WriteFile(temp / "others", "x"));
        ASSERT_EQ(chmod((temp / "others").c_str(), 0600), 0);
        ASSERT_EQ(chown((temp / "others").c_str(), kOtherUser, kOtherUser), 0);
        cases.push_back({"others", Privacy::NotOwn});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FilePrivacy(temp / c.name), c.privacy);
        OwnFileReader reader;
        EXPECT_EQ(reader.open(temp / c.name), c.privacy == Privacy::Private);
        EXPECT_EQ(reader.privacy(), c.privacy);
    }
    OwnFileReader reader;
    ASSERT_TRUE(reader.open(temp / "own"));
    EXPECT_EQ(reader.size(), 10u);
    char bytes[8];
    EXPECT_EQ(reader.readAt(6, bytes, sizeof bytes), 4);
    EXPECT_EQ(std::string(bytes, 4), "6789");

    EXPECT_EQ(FolderPrivacy(temp.path()), Privacy::Private);
    ASSERT_EQ(chmod(temp.path().c_str(), 0777), 0);
    EXPECT_EQ(FolderPrivacy(temp.path()), Privacy::WritableByOthers);
    ASSERT_EQ(chmod(temp.path().c_str(), 0700), 0);
}

}  // namespace
}  // namespace kestrix::platform
