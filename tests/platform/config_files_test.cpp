#include "config_files.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include "item_times.h"
#include "test_support.h"

namespace kestrix::platform {
namespace {

TEST(ConfigFolder, FollowsTheBaseDirectorySpecification) {
    struct Case {
        std::optional<std::string> config;
        std::optional<std::string> home;
        std::string folder;
    };
    const Case cases[] = {
        {"/etc/ola", "/home/ola", "/etc/ola/Kestrix/"},
        {"/etc/ola/", "/home/ola", "/etc/ola/Kestrix/"},
        {"relative", "/home/ola", "/home/ola/.config/Kestrix/"},
        {std::nullopt, "/home/ola", "/home/ola/.config/Kestrix/"},
        {std::nullopt, std::nullopt, ""},
    };
    const char* oldConfig = getenv("XDG_CONFIG_HOME");
    const char* oldHome = getenv("HOME");
    const std::optional<std::string> savedConfig =
        oldConfig ? std::optional<std::string>(oldConfig) : std::nullopt;
    const std::optional<std::string> savedHome = oldHome ? std::optional<std::string>(oldHome) : std::nullopt;
    auto set = [](const char* name, const std::optional<std::string>& value) {
        value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    };
    for (const Case& c : cases) {
        set("XDG_CONFIG_HOME", c.config);
        set("HOME", c.home);
        EXPECT_EQ(ConfigFolder(), c.folder)
            << c.config.value_or("(unset)") << " " << c.home.value_or("(unset)");
    }
    set("XDG_CONFIG_HOME", savedConfig);
    set("HOME", savedHome);
}

TEST(ModifiedLocalTime, ReadsTheItemsOwnTimeInLocalTime) {
    setenv("TZ", "Europe/Warsaw", 1);
    tzset();
    testing::TempFolder folder;
    const std::string file = folder.path() + "/a.jpg";
    testing::WriteFile(file, "x");
    const utimbuf times{0, 1720163587};  // 2024-07-05 07:13:07 UTC, 09:13:07 in Warsaw
    ASSERT_EQ(utime(file.c_str(), &times), 0);
    EXPECT_EQ(ModifiedLocalTime(file), (DateTime{2024, 7, 5, 9, 13, 7}));
    EXPECT_EQ(ModifiedLocalTime(folder.path() + "/none.jpg"), std::nullopt);
    unsetenv("TZ");
    tzset();
}

}  // namespace
}  // namespace kestrix::platform
