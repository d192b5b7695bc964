#pragma once

#include "patches/BankFolderInfo.h"

#include <cstdint>
#include <string>
#include <vector>

// The configured patch folders of one tree: a list of XML elements, each a
// "folder" (one folder, one bank) or a "foldergroup" of "folder" elements
// (several folders, one bank).
class PatchFolderList
{
public:
    // The banks' folder groups, with each folder's required types drawn from
    // its "patchtype" and the tree's required word. Folders that are not
    // directories are left out, and so is a group left without folders. A
    // folder without a name is named after its directory, and groups of
    // one name form one bank. Malformed XML throws the XML layer's error.
    static std::vector<BankFolderInfo> read(const std::string& text, std::uint32_t treeRequired);
};
