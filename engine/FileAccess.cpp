#include "FileAccess.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links deeper than this are taken for a loop, as the system does.
constexpr int kMaxLinkHops = 40;
constexpr const char* kNotRegular = "It is not a regular file.";
constexpr const char* kTooLarge = "The file is too large.";
constexpr const char* kLinkLoop = "Too many levels of symbolic links.";

void SetReason(std::string* reason, const std::string& text)
{
    if (reason)
        *reason = text;
}

void SetErrno(std::string* reason, int error) { SetReason(reason, std::strerror(error)); }

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A link in a shared sticky folder (world-writable, like /tmp) that belongs
// neither to this user nor to the folder's owner may have been planted by
// another user: the kernel's protection of such folders refuses to follow it.
bool IsPlantedLink(const struct stat& link, const std::string& folder)
{
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0)
        return false;
    const bool shared = (info.st_mode & S_ISVTX) && (info.st_mode & S_IWOTH);
    return shared && link.st_uid != ::geteuid() && link.st_uid != info.st_uid;
}

// A name to hold a file for one step; the same pattern as the named
// temporary files of the past, so that a person knows whose file it is.
constexpr int kHiddenNameAttempts = 100;
std::string HiddenName()
{
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char random[6] = {};
    if (::getrandom(random, sizeof random, 0) != ssize_t(sizeof random)) {
        static std::atomic<unsigned> counter{0};
        const unsigned mixed = unsigned(::getpid()) * 2654435761u + counter.fetch_add(1) * 40503u;
        for (size_t i = 0; i < sizeof random; ++i)
            random[i] = static_cast<unsigned char>(mixed >> (i * 5));
    }
    std::string name = ".quil-save-";
    for (unsigned char byte : random)
        name += kChars[byte % (sizeof kChars - 1)];
    return name;
}

// Gives an unnamed (O_TMPFILE) file a name; never replaces one.
bool LinkUnnamed(int fd, int folderFd, const std::string& name)
{
    if (::linkat(fd, "", folderFd, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (errno != ENOENT && errno != EPERM)
        return false;
    // Without the capability that AT_EMPTY_PATH takes, the file is named through /proc.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), folderFd, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

int OpenRegularFile(const std::string& path, std::string* reason)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer before it is refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        SetErrno(reason, errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        SetErrno(reason, errno);
        ::close(fd);
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        SetReason(reason, kNotRegular);
        ::close(fd);
        return -1;
    }
    // Reads of a regular file never wait; the flag goes for whoever reads on.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& text, std::string* reason)
{
    const int fd = OpenRegularFile(path, reason);
    if (fd < 0)
        return false;
    // Closes the file when the text cannot grow (std::bad_alloc goes on to the caller).
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (!ok)
        SetErrno(reason, errno);
    else if (uint64_t(info.st_size) > maxBytes) {
        SetReason(reason, kTooLarge);
        ok = false;
    }
    if (ok) {
        text.clear();
        text.reserve(size_t(info.st_size));
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                SetErrno(reason, errno);
                ok = false;
                break;
            }
            if (n == 0)
                break;
            // The file may grow while it is read.
            if (text.size() + size_t(n) > maxBytes) {
                SetReason(reason, kTooLarge);
                ok = false;
                break;
            }
            text.append(buffer, size_t(n));
        }
    }
    return ok;
}

bool ResolveSaveTarget(const std::string& path, std::string& target, std::string* reason)
{
    target = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return true;  // a new file
            SetErrno(reason, errno);
            return false;
        }
        if (S_ISREG(info.st_mode))
            return true;
        if (!S_ISLNK(info.st_mode)) {
            SetReason(reason, kNotRegular);
            return false;
        }
        if (IsPlantedLink(info, FolderOf(target))) {
            SetErrno(reason, EACCES);
            return false;
        }
        std::string link(size_t(info.st_size > 0 ? info.st_size : 0) + 256, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) {
            SetErrno(reason, errno);
            return false;
        }
        link.resize(size_t(n));
        target = !link.empty() && link[0] == '/' ? link : FolderOf(target) + "/" + link;
    }
    SetReason(reason, kLinkLoop);
    return false;
}

CSafeFileWriter::~CSafeFileWriter() { Discard(); }

void CSafeFileWriter::Discard()
{
    if (m_nFd >= 0)
        ::close(m_nFd);
    m_nFd = -1;
    if (!m_strHidden.empty() && m_nFolderFd >= 0)
        ::unlinkat(m_nFolderFd, m_strHidden.c_str(), 0);
    m_strHidden.clear();
    if (m_nFolderFd >= 0)
        ::close(m_nFolderFd);
    m_nFolderFd = -1;
}

bool CSafeFileWriter::Fail(int error, std::string* reason)
{
    SetErrno(reason, error);
    Discard();
    return false;
}

bool CSafeFileWriter::Open(const std::string& path, std::string* reason)
{
    Discard();
    m_nError = 0;
    m_nEnd = 0;
    m_bFinished = m_bPlaced = false;
    if (!ResolveSaveTarget(path, m_strTarget, reason))
        return false;
    const size_t slash = m_strTarget.find_last_of('/');
    m_strName = slash == std::string::npos ? m_strTarget : m_strTarget.substr(slash + 1);
    if (m_strName.empty() || m_strName == "." || m_strName == "..")
        return Fail(EISDIR, reason);
    // Every later step names the file within this folder, whatever becomes
    // of the path meanwhile.
    m_nFolderFd = ::open(FolderOf(m_strTarget).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_nFolderFd < 0)
        return Fail(errno, reason);
    struct stat old {};
    m_nMode = 0;
    if (::fstatat(m_nFolderFd, m_strName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode)) {
        // A file no one may write is kept, even from a user the system lets write anything.
        if ((old.st_mode & 0222) == 0 || ::faccessat(m_nFolderFd, m_strName.c_str(), W_OK, AT_EACCESS) != 0)
            return Fail(EACCES, reason);
        m_nMode = old.st_mode & 07777;
    }
    // The kernel gives a new file 0666 less the umask.
    m_nFd = ::openat(m_nFolderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (m_nFd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        for (int attempt = 0; attempt < kHiddenNameAttempts && m_nFd < 0; ++attempt) {
            m_strHidden = HiddenName();
            m_nFd = ::openat(m_nFolderFd, m_strHidden.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
            if (m_nFd < 0 && errno != EEXIST)
                break;
        }
        if (m_nFd < 0)
            m_strHidden.clear();
    }
    if (m_nFd < 0)
        return Fail(errno, reason);
    return true;
}

bool CSafeFileWriter::WriteAt(const void* data, size_t size, unsigned long long offset)
{
    if (m_nFd < 0 || m_nError != 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_nFd, bytes + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_nError = errno;
            return false;
        }
        done += size_t(n);
    }
    m_nEnd = std::max(m_nEnd, offset + size);
    return true;
}

bool CSafeFileWriter::Finish(std::string* reason)
{
    if (m_nFd < 0)
        return Fail(EBADF, reason);
    if (m_nError != 0)
        return Fail(m_nError, reason);
    if (m_nMode != 0 && ::fchmod(m_nFd, mode_t(m_nMode)) != 0)
        return Fail(errno, reason);
    // Space a file system promised at write time may still be missing: only
    // the sync proves that the bytes are on the disk.
    if (::fsync(m_nFd) != 0)
        return Fail(errno, reason);
    struct stat info {};
    if (::fstat(m_nFd, &info) != 0)
        return Fail(errno, reason);
    m_nDevice = info.st_dev;
    m_nInode = info.st_ino;
    m_bFinished = true;
    return true;
}

bool CSafeFileWriter::Place(bool replace, std::string* reason, bool* exists)
{
    if (exists)
        *exists = false;
    if (!m_bFinished)
        return Fail(EBADF, reason);
    int error = 0;
    if (m_strHidden.empty() && !replace) {
        // The unnamed file takes its name at once; link(2) never replaces.
        if (!LinkUnnamed(m_nFd, m_nFolderFd, m_strName))
            error = errno;
    } else {
        if (m_strHidden.empty()) {
            // Replacing takes a rename, which needs a name to rename: the
            // file has a hidden one for that one step only.
            for (int attempt = 0; attempt < kHiddenNameAttempts; ++attempt) {
                m_strHidden = HiddenName();
                if (LinkUnnamed(m_nFd, m_nFolderFd, m_strHidden))
                    break;
                error = errno;
                m_strHidden.clear();
                if (error != EEXIST)
                    break;
            }
            if (m_strHidden.empty())
                return Fail(error, reason);
        }
        const unsigned flags = replace ? 0 : RENAME_NOREPLACE;
        int renamed = ::renameat2(m_nFolderFd, m_strHidden.c_str(), m_nFolderFd, m_strName.c_str(), flags);
        if (renamed != 0 && errno == EINVAL && !replace) {
            // A file system without the flag: link(2) refuses an existing name as well.
            renamed = ::linkat(m_nFolderFd, m_strHidden.c_str(), m_nFolderFd, m_strName.c_str(), 0);
            if (renamed == 0)
                ::unlinkat(m_nFolderFd, m_strHidden.c_str(), 0);
        }
        if (renamed != 0)
            error = errno;
        else
            m_strHidden.clear();
    }
    if (error != 0) {
        if (exists)
            *exists = error == EEXIST;
        return Fail(error, reason);
    }
    m_bPlaced = true;
    const int closeResult = ::close(m_nFd);
    m_nFd = -1;
    // The bytes were synced before: a late failure to close loses nothing, but is told.
    if (closeResult != 0)
        SetErrno(reason, errno);
    return true;
}

void CSafeFileWriter::Unplace()
{
    struct stat info {};
    if (m_bPlaced && m_nFolderFd >= 0 &&
        ::fstatat(m_nFolderFd, m_strName.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        info.st_dev == m_nDevice && info.st_ino == m_nInode)
        ::unlinkat(m_nFolderFd, m_strName.c_str(), 0);
    m_bPlaced = false;
}

bool SaveFileSafely(const std::string& path, const std::string& bytes, std::string* reason, bool replace,
                    bool* exists)
{
    CSafeFileWriter file;
    return file.Open(path, reason) && (file.Write(bytes.data(), bytes.size()), file.Finish(reason)) &&
           file.Place(replace, reason, exists);
}
