#include "patches/PatchFileHandler.h"

#include "Source/patchtree/PatchTree.h"
#include "Source/patchtree/PatchTreeNode.h"
#include "Source/shared/Alerts.h"
#include "Source/ticpp/Exception.h"
#include "patches/PatchFileIo.h"
#include "patches/PatchTypeBits.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
struct Format
{
    const char* extension;
    std::uint32_t bit;
};

// The order in which a save writes the formats.
constexpr Format kFormats[] = {{".fxp", kFileTypeFxp}, {".aupreset", kFileTypeAupreset}, {".tfx", kFileTypeTfx}};

int writeFormat(std::uint32_t bit, const std::string& path, const std::string& patchName, const ChunkBuffer& chunk,
                bool isEffect)
{
    if (bit == kFileTypeFxp)
        return PatchFileHandler::writeFxp(path, patchName, chunk, isEffect);
    if (bit == kFileTypeAupreset)
        return PatchFileHandler::writeAupreset(path, patchName, chunk, isEffect);
    return PatchFileHandler::writeTfx(path, chunk, isEffect);
}

// The first file a save could not write: error is its errno, or -1 for a
// file the user keeps read-only.
struct SaveFailure
{
    std::string folder;
    std::string path;
    int error = 0;
};

void reportSaveFailure(const SaveFailure& failure, int failures)
{
    std::string title = "Patch Save Error";
    std::string text;
    if (failure.error == -1)
    {
        title = "File Permissions Error";
        text = "You do not have write access to the file " + failure.path + "\n";
    }
    else
    {
        if (failure.error == EACCES || failure.error == EPERM || failure.error == EROFS)
        {
            title = "Folder Permissions Error";
            text = "You do not have write access to the folder " + failure.folder + "\n";
        }
        // No errno: the writer had nothing it could put in the file.
        text += "Could not write " + failure.path + ": " +
                (failure.error != 0 ? std::strerror(failure.error) : "the patch has no data") + "\n";
    }
    if (failures > 1)
        text += std::to_string(failures - 1) + (failures == 2 ? " other file" : " other files") +
                " could not be written either\n";
    showAlert(title.c_str(), text.c_str());
}

struct IssueLine
{
    std::uint32_t bit;
    const char* text;
};

// The order in which the issues text lists a node's issues.
constexpr IssueLine kIssueLines[] = {
    {kIssueReadOnly, "  READ ONLY"},
    {kIssueAupresetNotRequired, "  aupreset in wrong tree"},
    {kIssueFxpNotRequired, "  fxp in wrong tree"},
    {kIssueTfxNotRequired, "  tfx in wrong tree"},
    {kIssueFxbFile, "  fxb file"},
    {kIssueVersion1, "  Zentrova 1 file"},
    {kIssueEffectInInstrumentTree, "  Effect patch in Instrument patch tree"},
    {kIssueInstrumentInEffectTree, "  Instrument patch in Effect patch tree"},
    {kIssueUuid, "  UUID mismatch or duplication"},
    {kIssueAupresetMissing, "  aupreset file missing from tree"},
    {kIssueFxpMissing, "  fxp file missing from tree"},
    {kIssueTfxMissing, "  tfx file missing from tree"},
};

bool inProcessGroups(gid_t group)
{
    if (group == ::getgid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[static_cast<std::size_t>(i)] == group)
            return true;
    return false;
}

// 1 writable, 0 not, -1 no such path.
int writePermission(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) != 0)
        return -1;
    return PatchFileHandler::isWritable(status.st_mode, status.st_uid, status.st_gid) ? 1 : 0;
}
}

bool PatchFileHandler::isWritable(std::uint32_t mode, std::uint32_t owner, std::uint32_t group)
{
    unsigned bits = mode & 0xFF;
    if (inProcessGroups(static_cast<gid_t>(group)))
        bits |= (bits >> 3) & 0x7;
    const unsigned writeBits = ::getuid() == static_cast<uid_t>(owner) ? (0x80 | 0x02) : 0x02;
    return (bits & writeBits) != 0;
}

PatchFileHandler::~PatchFileHandler() = default;

std::string PatchFileHandler::extensionOf(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string extension = path.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

int PatchFileHandler::loadPatch(const std::string& path, ChunkBuffer& chunk)
{
    const std::string extension = extensionOf(path);
    if (extension == ".fxp")
        return readFxp(path, 0, chunk);
    if (extension == ".fxb")
        return readFxb(path, chunk);
    if (extension == ".pst")
        return readPst(path, chunk);
    if (extension == ".tfx")
        return readTfx(path, chunk);
    if (extension == ".aupreset")
    {
        // A damaged preset is just an unusable file to whoever loads it.
        try
        {
            return readAupreset(path, chunk);
        }
        catch (const ticpp::Exception&)
        {
            return kLoadNotUsable;
        }
    }
    return kLoadNotUsable;
}

int PatchFileHandler::savePatch(const std::vector<Folder>& folders, const std::string& patchName,
                                const ChunkBuffer& chunk, std::uint32_t formatMask, bool isEffect, bool deleteOriginal)
{
    constexpr std::uint32_t kFormatBits = kFileTypeFxp | kFileTypeAupreset | kFileTypeTfx;
    const std::string fileName = safePatchFileName(patchName);
    int failures = 0;
    int written = 0;
    SaveFailure first;
    for (const Folder& folder : folders)
    {
        const std::uint32_t wanted = formatMask & folder.requiredFileTypes;
        const std::string stem = folder.path + "/" + fileName;
        for (const Format& format : kFormats)
        {
            if ((wanted & format.bit) == 0)
                continue;
            const std::string path = stem + format.extension;
            // A file the user made read-only is kept as it is. Whether the
            // folder takes a file only writing tells: its mode bits do not
            // bind every user, and a full disk has none.
            int error = 0;
            if (isReadOnly(path))
                error = -1;
            else
            {
                errno = 0;
                if (writeFormat(format.bit, path, patchName, chunk, isEffect) == 0)
                {
                    ++written;
                    continue;
                }
                error = errno;
            }
            if (failures++ == 0)
                first = {folder.path, path, error};
        }
    }
    // One alert for the save, however many of its files failed.
    if (failures != 0)
        reportSaveFailure(first, failures);
    // A save that wrote nothing anywhere has not saved the patch either.
    if (failures == 0 && written == 0)
    {
        showAlert("Patch Save Error",
                  ("No file was written for the patch " + patchName + ": no folder takes its formats\n").c_str());
        return 1;
    }
    // The other formats' files go only once the patch is safely in every
    // wanted one, in every folder; a folder with nothing to write keeps its
    // files.
    if (failures != 0)
        return failures;
    for (const Folder& folder : folders)
    {
        const std::uint32_t wanted = formatMask & folder.requiredFileTypes;
        if ((wanted & kFormatBits) == 0)
            continue;
        const std::string stem = folder.path + "/" + fileName;
        for (const Format& format : kFormats)
            if ((wanted & format.bit) == 0 && fileExists(stem + format.extension))
                retireFile(stem + format.extension, deleteOriginal);
    }
    return 0;
}

std::uint32_t PatchFileHandler::classifyPatchFile(const std::string& path)
{
    const std::string extension = extensionOf(path);
    if (extension == ".fxp")
        return classifyFxp(path);
    if (extension == ".fxb")
        return classifyFxb(path);
    if (extension == ".pst")
        return hasPstHeader(path) ? kFileTypePreset : kFileTypePreset | kFileTypeInvalid;
    if (extension == ".tfx")
    {
        ChunkBuffer scratch;
        return scanTfx(path, scratch);
    }
    if (extension == ".aupreset")
    {
        // One damaged preset must not stop a folder scan.
        try
        {
            return parseAupreset(path);
        }
        catch (const ticpp::Exception&)
        {
            return kFileTypeAupreset | kFileTypeInvalid;
        }
    }
    return 0;
}

bool PatchFileHandler::retireFile(const std::string& path, bool deleteOriginal)
{
    if (deleteOriginal)
        return std::remove(path.c_str()) == 0;
    return std::rename(path.c_str(), (path + "._bk").c_str()) == 0;
}

bool PatchFileHandler::isWritable(const std::string& path)
{
    return writePermission(path) == 1;
}

bool PatchFileHandler::isReadOnly(const std::string& path)
{
    return writePermission(path) == 0;
}

void PatchFileHandler::describeIssues(std::vector<std::string>& lines, PatchTree& tree, const std::string& address)
{
    lines.clear();
    const std::shared_ptr<PatchTreeNode> node = tree.findNode(address);
    if (!node)
        return;
    lines.push_back(std::string(node->typeName()) + ": " + node->getName());
    lines.push_back("Path:");
    std::string indent = "  ";
    std::string rest = node->getAddress();
    while (!rest.empty())
    {
        const std::size_t slash = rest.find('/');
        lines.push_back(indent + rest.substr(0, slash));
        rest = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
        indent += "  ";
    }
    lines.push_back("Issues:");
    const std::uint32_t issues = node->getPatchTypeError();
    for (const IssueLine& line : kIssueLines)
        if ((issues & line.bit) != 0)
            lines.push_back(line.text);
}
