#include "state_files.h"

#include <cerrno>
#include <cstdlib>
#include <optional>

#include <gtest/gtest.h>
#include <sys/stat.h>

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
