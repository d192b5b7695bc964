#include "patches/PatchFileIo.h"

#include "Source/shared/FileAccess.h"
#include "Source/shared/Utf8.h"

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::uint32_t readBigEndian32(const unsigned char* bytes)
{
    return (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) |
           std::uint32_t(bytes[3]);
}

std::uint32_t readLittleEndian32(const unsigned char* bytes)
{
    return (std::uint32_t(bytes[3]) << 24) | (std::uint32_t(bytes[2]) << 16) | (std::uint32_t(bytes[1]) << 8) |
           std::uint32_t(bytes[0]);
}

void appendBigEndian32(ByteVector& out, std::uint32_t value)
{
    out.push_back(static_cast<unsigned char>(value >> 24));
    out.push_back(static_cast<unsigned char>(value >> 16));
    out.push_back(static_cast<unsigned char>(value >> 8));
    out.push_back(static_cast<unsigned char>(value));
}

void appendBytes(ByteVector& out, const void* bytes, std::size_t n)
{
    const auto* first = static_cast<const unsigned char*>(bytes);
    if (n > 0)
        out.insert(out.end(), first, first + n);
}

void appendZeros(ByteVector& out, std::size_t n)
{
    out.insert(out.end(), n, 0);
}

float floatFromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float unitValue(float value)
{
    if (std::isnan(value))
        return 0.0f;
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

void copyNameField(char* out, std::size_t fieldSize, const unsigned char* field)
{
    std::memcpy(out, field, fieldSize);
    out[fieldSize - 1] = '\0';
}

namespace
{
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeFully(int fd, const unsigned char* bytes, std::size_t n)
{
    while (n > 0)
    {
        const ssize_t put = ::write(fd, bytes, n);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
        {
            // No byte taken and no error given: nowhere left to put them.
            if (put == 0)
                errno = ENOSPC;
            return false;
        }
        bytes += put;
        n -= static_cast<std::size_t>(put);
    }
    return true;
}

// Opens a regular file for reading and tells its size.
int openRegularFile(const std::string& path, std::uint64_t* size)
{
    // Non-blocking, so that a named pipe given a patch name cannot stall the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
    {
        ::close(fd);
        return -1;
    }
    *size = static_cast<std::uint64_t>(status.st_size);
    return fd;
}

std::atomic<unsigned> temporaryCounter{0};
}

bool readWholeFile(const std::string& path, ByteVector* out, std::uint64_t maxSize)
{
    out->clear();
    std::uint64_t size = 0;
    FileDescriptor file(openRegularFile(path, &size));
    if (file.get() < 0 || size > maxSize)
        return false;
    out->resize(static_cast<std::size_t>(size));
    if (!FileAccess::readFully(file.get(), out->data(), out->size()))
    {
        out->clear();
        return false;
    }
    return true;
}

bool readFileStart(const std::string& path, std::size_t n, ByteVector* out, std::uint64_t* fileSize)
{
    out->clear();
    std::uint64_t size = 0;
    FileDescriptor file(openRegularFile(path, &size));
    if (file.get() < 0)
        return false;
    *fileSize = size;
    out->resize(static_cast<std::size_t>(size < n ? size : n));
    if (!FileAccess::readFully(file.get(), out->data(), out->size()))
    {
        out->clear();
        return false;
    }
    return true;
}

bool writeFileReplacing(const std::string& path, const ByteVector& bytes)
{
    // Renaming over a link would replace the link, not the file the user
    // keeps elsewhere.
    const std::string target = linkTarget(path);
    if (target.empty())
    {
        errno = ELOOP;
        return false;
    }
    // The temporary ends in an extension no patch format has, so a scan that
    // meets one left behind by a crash ignores it.
    const std::string temporary =
        target + ".~" + std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter.fetch_add(1));
    FileDescriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.get() < 0)
        return false;
    // A file the user kept private stays private. Where the file system has
    // no modes to set, the write still goes on.
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        ::fchmod(file.get(), existing.st_mode & 0777);
    bool written = writeFully(file.get(), bytes.data(), bytes.size()) && ::fsync(file.get()) == 0;
    int error = errno;
    // A full disk may show only when the file is closed.
    if (!file.close() && written)
    {
        written = false;
        error = errno;
    }
    if (written && std::rename(temporary.c_str(), target.c_str()) == 0)
        return true;
    if (written)
        error = errno;
    ::unlink(temporary.c_str());
    // The caller tells the user why.
    errno = error;
    return false;
}

std::string linkTarget(const std::string& path)
{
    // As many links as the system itself follows before it gives up.
    constexpr int kMaxLinks = 40;
    std::string current = path;
    for (int links = 0; links <= kMaxLinks; ++links)
    {
        struct stat status;
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        char buffer[4096];
        const ssize_t length = ::readlink(current.c_str(), buffer, sizeof buffer);
        if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer)
            return std::string();
        std::string next(buffer, static_cast<std::size_t>(length));
        if (next[0] != '/')
        {
            const std::size_t slash = current.rfind('/');
            next = (slash == std::string::npos ? std::string() : current.substr(0, slash + 1)) + next;
        }
        current = next;
    }
    return std::string();
}

std::string keepBackup(const std::string& target, bool& moved)
{
    constexpr char kBackupSuffix[] = "._bk";
    // After this many the file is left alone.
    constexpr int kMaxBackups = 100;
    moved = false;
    struct stat status;
    if (::lstat(target.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::string();
    for (int n = 1; n <= kMaxBackups; ++n)
    {
        const std::string backup = target + kBackupSuffix + (n == 1 ? std::string() : std::to_string(n));
        struct stat taken;
        if (::lstat(backup.c_str(), &taken) == 0)
            continue;
        if (::link(target.c_str(), backup.c_str()) == 0)
            return backup;
        if (errno == EEXIST)
            continue;
        // Some file systems have no second names, and a file the user cannot
        // read may not be linked; it may still be moved.
        if (std::rename(target.c_str(), backup.c_str()) == 0)
        {
            moved = true;
            return backup;
        }
        return std::string();
    }
    return std::string();
}

bool fileExists(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

bool isDirectory(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string unreadableReason(const std::string& path, int error)
{
    if (error != 0)
        return std::strerror(error);
    return isDirectory(path) ? "it is a folder" : "it is not a regular file";
}

std::string safePatchFileName(const std::string& name)
{
    constexpr std::size_t kMaxNameBytes = 200;
    std::string safe;
    for (char c : name)
    {
        const auto byte = static_cast<unsigned char>(c);
        const bool unsafe = c == '/' || byte < 0x20 || byte == 0x7F || (safe.empty() && c == '.');
        safe += unsafe ? '_' : c;
    }
    safe.resize(Utf8::cutLength(safe.data(), safe.size(), kMaxNameBytes));
    return safe.empty() ? std::string("Empty") : safe;
}
