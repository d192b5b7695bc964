#pragma once

#include <string>

// The folders and the one file the plug-in keeps on disk outside the host's
// chunk. Each field stays empty when its folder could not be found or made.
// Folders are made only in the user's own domain; the local (system-wide)
// domain is read, never written.
class SupportFiles
{
public:
    // Finds the user folder, then the local folder, then the configuration
    // file, making missing user folders on the way.
    SupportFiles();
    virtual ~SupportFiles();

    // The support folder of the local domain: the first data folder that
    // already holds the product's folders, else the user's own.
    std::string localFolder;
    // The support folder of the user domain.
    std::string userFolder;
    // Shared content (harmonic lists, tooltips): the local folder's
    // "Content", or the user's when the local one has none.
    std::string contentFolder;
    // The configuration file to read: the user's when it exists, else the
    // local domain's, whether or not that one exists.
    std::string configFile;
    // Where the configuration is always written: the user's configuration
    // folder, $XDG_CONFIG_HOME or else ~/.config. Empty when the user has no
    // home folder.
    std::string userConfigFile;

    // The current user's home folder, without a trailing "/" (unless it is
    // "/" itself); empty when there is none.
    static std::string homeFolder();
};
