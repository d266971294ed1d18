// SPDX-License-Identifier: GPL-3.0-or-later
// Where Korund.ini is read and written, the per-user folder and the
// creation of its parents.
#include "KorundSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

namespace {

// Sets or unsets an environment variable for the lifetime of the object.
class cEnv {
public:
    cEnv(const char* name, const char* value) : aName(name) {
        if (const char* old = std::getenv(name))
            aOld = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~cEnv() { aOld ? setenv(aName, aOld->c_str(), 1) : unsetenv(aName); }
    cEnv(const cEnv&) = delete;
    cEnv& operator=(const cEnv&) = delete;

private:
    const char* aName;
    std::optional<std::string> aOld;
};

TEST(KorundIniLocation, ChoiceBetweenBesideTheProgramAndPerUser) {
    const std::string beside = "/opt/k/bin/Korund.ini";
    const std::string user = "/home/u/.config/korund/Korund.ini";
    struct tRow {
        bool besideExists, besideWritable, userExists;
        std::string read, write;
        const char* what;
    } rows[] = {
        {true, true, false, beside, beside, "portable install"},
        {true, true, true, beside, beside, "portable install wins over the per-user file"},
        {false, true, false, user, user, "no file beside a writable folder: per-user"},
        {false, false, false, user, user, "installed, first start"},
        {false, false, true, user, user, "installed, per-user file exists"},
        {true, false, false, beside, user, "read-only file beside: read, the per-user file written"},
        {true, false, true, user, user, "once written, the per-user file takes over"},
    };
    for (const tRow& row : rows)
        EXPECT_EQ(ChooseKorundIni(beside, row.besideExists, row.besideWritable, user, row.userExists),
                  (cIniLocation{row.read, row.write}))
            << row.what;
    // No home at all: beside the program, whatever exists.
    EXPECT_EQ(ChooseKorundIni(beside, false, false, "", false), (cIniLocation{beside, beside}));
}

TEST(KorundIniLocation, PerUserPathFollowsXdgConfigHomeThenHome) {
    {
        cEnv xdg("XDG_CONFIG_HOME", "/x/conf/");
        cEnv home("HOME", "/h");
        EXPECT_EQ(UserKorundIniPath(), "/x/conf/korund/Korund.ini");
    }
    for (const char* unusable : {"", "relative/conf"}) {
        cEnv xdg("XDG_CONFIG_HOME", unusable);
        cEnv home("HOME", "/h");
        EXPECT_EQ(UserKorundIniPath(), "/h/.config/korund/Korund.ini") << "XDG_CONFIG_HOME=" << unusable;
    }
    {
        // Without HOME the password database names the home folder.
        cEnv xdg("XDG_CONFIG_HOME", nullptr);
        cEnv home("HOME", nullptr);
        const std::string path = UserKorundIniPath();
        if (!path.empty()) {
            EXPECT_EQ(path.front(), '/');
            EXPECT_TRUE(path.ends_with("/.config/korund/Korund.ini")) << path;
        }
    }
}

TEST(KorundIniLocation, ExistingPerUserFileIsFoundWithoutOneBesideTheProgram) {
    cTempDir dir;
    cEnv xdg("XDG_CONFIG_HOME", dir.Path().c_str());
    const std::string user = dir.File("korund/Korund.ini");
    EXPECT_EQ(LocateKorundIni(), (cIniLocation{user, user}));
    std::string error;
    ASSERT_TRUE(MakeParentDirs(user, error)) << error;
    WriteText(user, "[Calculation]\nDigitsUse=9\n");
    EXPECT_EQ(ReadKorundIni(KorundIniPath()).DigitsUse, 9);
}

TEST(MakeParentDirs, CreatesMissingFoldersPrivatelyAndReportsWhatIsInTheWay) {
    cTempDir dir;
    std::string error;
    const std::string deep = dir.File("a/b/c/Korund.ini");
    ASSERT_TRUE(MakeParentDirs(deep, error)) << error;
    struct stat info {};
    ASSERT_EQ(stat(dir.File("a/b/c").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(MakeParentDirs(deep, error)) << "existing folders are fine";
    EXPECT_TRUE(MakeParentDirs("Korund.ini", error)) << "no folder named";

    WriteText(dir.File("file"), "x");
    EXPECT_FALSE(MakeParentDirs(dir.File("file/korund/Korund.ini"), error));
    EXPECT_NE(error.find("is not a folder"), std::string::npos) << error;
}

TEST(InstalledDataDir, IsTheDataFolderBesideTheProgramsFolder) {
    EXPECT_EQ(InstalledDataDir(), ExecutableDir() + "../share/korund/");
    EXPECT_STRNE(KorundVersion(), "");
}

} // namespace
