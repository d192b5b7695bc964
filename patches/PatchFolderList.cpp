#include "patches/PatchFolderList.h"

#include "Source/ticpp/ticpp.h"
#include "patches/ConfigurationText.h"
#include "patches/PatchFileHandler.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

namespace
{
// Without a trailing "/", so that paths join and compare alike.
std::string normalisedPath(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string lastComponent(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder of an element, when it names an existing directory.
bool readFolder(const ticpp::Element& element, const std::string& name, std::uint32_t treeRequired,
                FolderInfo& folder)
{
    folder.path = normalisedPath(element.GetAttribute("path"));
    if (folder.path.empty() || !isDirectory(folder.path))
        return false;
    folder.name = name.empty() ? lastComponent(folder.path) : name;
    const std::string patchType = element.GetAttribute("patchtype");
    folder.requiredFileTypes = patchType.empty()
                                   ? treeRequired
                                   : (static_cast<std::uint32_t>(patchFormatBits(patchType)) | kFileTypeFlavours) & treeRequired;
    folder.readOnly = PatchFileHandler::isReadOnly(folder.path);
    return true;
}

void addGroup(std::vector<BankFolderInfo>& groups, const std::vector<FolderInfo>& folders)
{
    if (folders.empty())
        return;
    for (BankFolderInfo& group : groups)
        if (group.name() == folders.front().name)
        {
            for (const FolderInfo& folder : folders)
                group.addFolderInfo(folder);
            return;
        }
    groups.emplace_back(folders);
}
}

std::vector<BankFolderInfo> PatchFolderList::read(const std::string& text, std::uint32_t treeRequired)
{
    std::vector<BankFolderInfo> groups;
    if (text.find_first_not_of(" \t\r\n") == std::string::npos)
        return groups;
    ticpp::Document document;
    document.Parse(text);
    for (ticpp::Element* element = document.FirstChildElement(false); element != nullptr;
         element = element->NextSiblingElement(false))
    {
        const std::string kind = element->Value();
        std::vector<FolderInfo> folders;
        if (kind == "folder")
        {
            FolderInfo folder;
            if (readFolder(*element, element->GetAttribute("name"), treeRequired, folder))
                folders.push_back(folder);
        }
        else if (kind == "foldergroup")
        {
            std::string name = element->GetAttribute("name");
            for (ticpp::Element* member = element->FirstChildElement("folder", false); member != nullptr;
                 member = member->NextSiblingElement("folder", false))
            {
                FolderInfo folder;
                if (readFolder(*member, name, treeRequired, folder))
                {
                    // An unnamed group takes the name of its first folder.
                    name = folder.name;
                    folders.push_back(folder);
                }
            }
        }
        addGroup(groups, folders);
    }
    return groups;
}
