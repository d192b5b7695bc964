#include "patches/SupportFiles.h"

#include "Source/shared/Alerts.h"
#include "patches/ConfigurationText.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace
{
constexpr char kCompanyFolder[] = "Vorlix";
constexpr char kProductFolder[] = "Zentrova2";
constexpr char kContentFolder[] = "Content";
constexpr char kConfigFileName[] = "com.vorlixworks.Zentrova2.sup";

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A user-domain base folder: the variable when it names an absolute path
// (relative ones are to be ignored), else the default under the home folder.
std::string userBase(const char* variable, const char* defaultUnderHome)
{
    const std::string value = environment(variable);
    if (!value.empty() && value[0] == '/')
        return withoutTrailingSlashes(value);
    const std::string home = SupportFiles::homeFolder();
    if (home.empty())
        return std::string();
    return (home == "/" ? std::string() : home) + defaultUnderHome;
}

// The absolute entries of a ":"-separated folder list, or of its default
// when the variable is unset or empty.
std::vector<std::string> localBases(const char* variable, const char* defaultList)
{
    std::string list = environment(variable);
    if (list.empty())
        list = defaultList;
    std::vector<std::string> bases;
    for (const std::string& entry : splitAt(list, ':'))
    {
        if (!entry.empty() && entry[0] == '/')
            bases.push_back(withoutTrailingSlashes(entry));
    }
    return bases;
}

bool isDirectory(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

// Makes the folder and its missing parents; the folder's path when it is a
// directory afterwards, else empty. Failures are shown to the user.
std::string makeFolder(const std::string& path)
{
    try
    {
        std::filesystem::create_directories(path);
    }
    catch (const std::filesystem::filesystem_error& error)
    {
        const std::string informative =
            "There was a problem creating the support folder " + path + " : " + error.what();
        showAlert("File System Error Creating Support Folder", informative.c_str());
        return std::string();
    }
    catch (...)
    {
        showAlert("Unknown Error Creating Support Folder", "There was a problem creating the support folder ");
        return std::string();
    }
    return isDirectory(path) ? path : std::string();
}

std::string productFolderIn(const std::string& base)
{
    return base + "/" + kCompanyFolder + "/" + kProductFolder;
}
} // namespace

SupportFiles::SupportFiles()
{
    const std::string userData = userBase("XDG_DATA_HOME", "/.local/share");
    if (!userData.empty())
        userFolder = makeFolder(productFolderIn(userData));

    for (const std::string& base : localBases("XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
    {
        if (isDirectory(productFolderIn(base)))
        {
            localFolder = productFolderIn(base);
            break;
        }
    }
    if (!localFolder.empty() && isDirectory(localFolder + "/" + kContentFolder))
    {
        contentFolder = localFolder + "/" + kContentFolder;
    }
    else
    {
        if (localFolder.empty())
            localFolder = userFolder;
        if (!userFolder.empty())
            contentFolder = makeFolder(userFolder + "/" + kContentFolder);
    }

    const std::string userPreferences = userBase("XDG_CONFIG_HOME", "/.config");
    if (!userPreferences.empty())
    {
        userConfigFile = userPreferences + "/" + kConfigFileName;
        configFile = userConfigFile;
        if (exists(configFile))
            return;
    }
    const std::vector<std::string> localPreferences = localBases("XDG_CONFIG_DIRS", "/etc/xdg");
    for (const std::string& base : localPreferences)
    {
        if (exists(base + "/" + kConfigFileName))
        {
            configFile = base + "/" + kConfigFileName;
            return;
        }
    }
    if (!localPreferences.empty())
        configFile = localPreferences.front() + "/" + kConfigFileName;
}

SupportFiles::~SupportFiles() = default;

std::string SupportFiles::homeFolder()
{
    std::string home = environment("HOME");
    if (home.empty())
    {
        std::vector<char> buffer(16384);
        passwd entry;
        passwd* found = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
            home = found->pw_dir;
    }
    return withoutTrailingSlashes(home);
}
