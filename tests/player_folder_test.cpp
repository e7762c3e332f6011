// Where an installed game keeps the player's scores: the XDG rules for the folder, and a
// folder that cannot be made is refused with its reason rather than taken for made.
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/common/game_folders.h"
#include "tests/support/game_fixture.h"

namespace {

class PlayerFolderTest : public RunFolderTest {
protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
            const char* value = std::getenv(name);
            saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
    }
    void TearDown() override {
        const char* names[] = {"XDG_DATA_HOME", "HOME"};
        for (size_t k = 0; k < saved.size(); ++k) {
            if (saved[k])
                setenv(names[k], saved[k]->c_str(), 1);
            else
                unsetenv(names[k]);
        }
        RunFolderTest::TearDown();
    }
    std::vector<std::optional<std::string>> saved;
};

TEST_F(PlayerFolderTest, TheFolderFollowsTheXdgRules) {
    setenv("XDG_DATA_HOME", "/data/home", 1);
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(UserDataFolder(), "/data/home/sidescroller/");
    // A relative XDG_DATA_HOME is not a folder anyone meant.
    setenv("XDG_DATA_HOME", "data/home", 1);
    EXPECT_EQ(UserDataFolder(), "/home/player/.local/share/sidescroller/");
    // Without a usable HOME the user's entry in the system's table says where home is.
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "relative", 1);
    const passwd* user = getpwuid(getuid());
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(UserDataFolder(), std::string(user->pw_dir) + "/.local/share/sidescroller/");
}

TEST_F(PlayerFolderTest, MissingLevelsAreMadePrivateAndAFileInTheWayIsRefused) {
    std::string reason;
    ASSERT_TRUE(MakeFolders(folder + "/a/b/", &reason)) << reason;
    struct stat info;
    ASSERT_EQ(stat((folder + "/a/b").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(MakeFolders(folder + "/a/b/", &reason)) << "an existing folder is made already";

    std::ofstream(folder + "/file") << "x";
    EXPECT_FALSE(MakeFolders(folder + "/file/", &reason));
    EXPECT_EQ(reason, "not a folder");
    reason.clear();
    EXPECT_FALSE(MakeFolders(folder + "/file/sidescroller/", &reason));
    EXPECT_EQ(reason, "Not a directory");
}

}  // namespace
