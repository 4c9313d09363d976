#include "FileAccess.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

bool WriteAll(int fd, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
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

bool SaveFileSafely(const std::string& path, const std::string& bytes, std::string* reason)
{
    std::string target;
    if (!ResolveSaveTarget(path, target, reason))
        return false;
    std::string temporary = FolderOf(target) + "/.quil-save-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        SetErrno(reason, errno);
        return false;
    }
    // The new file gets the old one's permissions, or those a new file gets.
    struct stat old {};
    mode_t mode = 0;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    if (!WriteAll(fd, bytes))
        error = errno;
    else if (::fchmod(fd, mode) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        SetErrno(reason, error);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}
