#include "patches/SupportFiles.h"

#include "Source/shared/Alerts.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
class RecordingAlerts : public AlertHandler
{
public:
    RecordingAlerts() : m_previous(setAlertHandler(this)) {}
    ~RecordingAlerts() override { setAlertHandler(m_previous); }

    void showAlert(const char* message, const char* informative) override
    {
        messages.emplace_back(message);
        informatives.emplace_back(informative);
    }

    std::vector<std::string> messages;
    std::vector<std::string> informatives;

private:
    AlertHandler* m_previous;
};

void touch(const std::string& path)
{
    std::ofstream(path) << "x";
}

const char kFileName[] = "/com.vorlixworks.Zentrova2.sup";
} // namespace

TEST(SupportFiles, MakesTheUserFoldersAndUsesThemWhenNoDataFolderHoldsTheProduct)
{
    TemporaryHome home;
    SupportFiles files;
    const std::string user = home.path() + "/.local/share/Vorlix/Zentrova2";
    EXPECT_EQ(files.userFolder, user);
    EXPECT_EQ(files.localFolder, user);
    EXPECT_EQ(files.contentFolder, user + "/Content");
    EXPECT_TRUE(fs::is_directory(user + "/Content"));
    EXPECT_FALSE(fs::exists(home.path() + "/share/Vorlix")) << "nothing is made in the local domain";
}

TEST(SupportFiles, LocalFolderIsTheFirstDataFolderThatHoldsTheProduct)
{
    TemporaryHome home;
    const std::string first = home.path() + "/first", second = home.path() + "/second", third = home.path() + "/third";
    fs::create_directories(first);
    fs::create_directories(second + "/Vorlix/Zentrova2/Content");
    fs::create_directories(third + "/Vorlix/Zentrova2/Content");
    setenv("XDG_DATA_DIRS", ("relative/ignored:" + first + ":" + second + "/:" + third).c_str(), 1);
    SupportFiles files;
    EXPECT_EQ(files.localFolder, second + "/Vorlix/Zentrova2");
    EXPECT_EQ(files.contentFolder, second + "/Vorlix/Zentrova2/Content");
    EXPECT_EQ(files.userFolder, home.path() + "/.local/share/Vorlix/Zentrova2");
    EXPECT_FALSE(fs::exists(first + "/Vorlix"));
}

TEST(SupportFiles, LocalFolderWithoutContentLeavesContentToTheUser)
{
    TemporaryHome home;
    fs::create_directories(home.path() + "/share/Vorlix/Zentrova2");
    SupportFiles files;
    EXPECT_EQ(files.localFolder, home.path() + "/share/Vorlix/Zentrova2");
    EXPECT_EQ(files.contentFolder, home.path() + "/.local/share/Vorlix/Zentrova2/Content");
    EXPECT_FALSE(fs::exists(home.path() + "/share/Vorlix/Zentrova2/Content"));
}

TEST(SupportFiles, DefaultsFollowTheHomeFolderWhenTheVariablesAreUnsetOrRelative)
{
    TemporaryHome home;
    unsetenv("XDG_DATA_HOME");
    setenv("XDG_CONFIG_HOME", "not/absolute", 1);
    SupportFiles files;
    EXPECT_EQ(files.userFolder, home.path() + "/.local/share/Vorlix/Zentrova2");
    EXPECT_EQ(files.userConfigFile, home.path() + "/.config" + kFileName);
}

TEST(SupportFiles, WithoutAnyFileTheConfigurationIsReadFromTheLocalDomain)
{
    TemporaryHome home;
    setenv("XDG_CONFIG_DIRS", (home.path() + "/etc:" + home.path() + "/other").c_str(), 1);
    SupportFiles files;
    EXPECT_EQ(files.configFile, home.path() + "/etc" + kFileName);
    EXPECT_EQ(files.userConfigFile, home.path() + "/.config" + kFileName);
}

TEST(SupportFiles, ALocalFileIsFoundInAnyConfigurationFolder)
{
    TemporaryHome home;
    fs::create_directories(home.path() + "/other");
    touch(home.path() + "/other" + kFileName);
    setenv("XDG_CONFIG_DIRS", (home.path() + "/etc:" + home.path() + "/other").c_str(), 1);
    SupportFiles files;
    EXPECT_EQ(files.configFile, home.path() + "/other" + kFileName);
}

TEST(SupportFiles, TheUsersFileIsPreferredOverALocalOne)
{
    TemporaryHome home;
    touch(home.path() + "/etc" + kFileName);
    touch(home.path() + "/.config" + kFileName);
    SupportFiles files;
    EXPECT_EQ(files.configFile, home.path() + "/.config" + kFileName);
}

TEST(SupportFiles, AFolderThatCannotBeMadeStaysEmptyAndIsReportedOnce)
{
    TemporaryHome home;
    // A plain file where the data folder should be.
    touch(home.path() + "/blocked");
    setenv("XDG_DATA_HOME", (home.path() + "/blocked").c_str(), 1);
    RecordingAlerts alerts;
    SupportFiles files;
    EXPECT_EQ(files.userFolder, "");
    EXPECT_EQ(files.localFolder, "");
    EXPECT_EQ(files.contentFolder, "");
    ASSERT_EQ(alerts.messages.size(), 1u);
    EXPECT_EQ(alerts.messages[0], "File System Error Creating Support Folder");
    const std::string expected =
        "There was a problem creating the support folder " + home.path() + "/blocked/Vorlix/Zentrova2 : ";
    EXPECT_EQ(alerts.informatives[0].compare(0, expected.size(), expected), 0) << alerts.informatives[0];
    EXPECT_GT(alerts.informatives[0].size(), expected.size()) << "the file system's own text follows";
    EXPECT_EQ(files.userConfigFile, home.path() + "/.config" + kFileName) << "the Preferences folder is apart";
}

TEST(SupportFiles, HomeFolderHasNoTrailingSlashAndFallsBackToTheUserDatabase)
{
    TemporaryHome home;
    setenv("HOME", (home.path() + "//").c_str(), 1);
    EXPECT_EQ(SupportFiles::homeFolder(), home.path());
    setenv("HOME", "/", 1);
    EXPECT_EQ(SupportFiles::homeFolder(), "/");
    unsetenv("HOME");
    EXPECT_FALSE(SupportFiles::homeFolder().empty());
}
