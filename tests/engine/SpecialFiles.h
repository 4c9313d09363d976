#pragma once
// Files that are not what they seem, made in a test's own folder: FIFOs,
// device nodes, and a guard that turns an open that blocks on a FIFO into a
// failed test instead of a hung one.

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace special_files {

inline bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

// A character device node such as /dev/null (1, 3) or /dev/zero (1, 5).
// False when the test may not make one (no CAP_MKNOD): the case is skipped.
inline bool MakeCharDevice(const std::string& path, unsigned major, unsigned minor)
{
    return ::mknod(path.c_str(), S_IFCHR | 0600, makedev(major, minor)) == 0;
}

inline bool IsCharDevice(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

inline bool IsFifo(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// Opens each FIFO for reading and writing, which frees an open() that waits
// on it for a writer or a reader.
inline void FreeWaitersOn(const std::vector<std::string>& fifos)
{
    for (const std::string& fifo : fifos) {
        const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
}

// Guards the code that runs while it lives: unless it is destroyed first, it
// frees the FIFOs' waiters once limit has passed, and Fired() then tells that
// the guarded code would have hung.
class FifoWatchdog {
public:
    FifoWatchdog(std::vector<std::string> fifos, std::chrono::seconds limit)
        : m_thread([this, fifos = std::move(fifos), limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_stop.wait_for(lock, limit, [this] { return m_bStopped; })) {
                  m_bFired = true;
                  FreeWaitersOn(fifos);
              }
          })
    {
    }
    ~FifoWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStopped = true;
        }
        m_stop.notify_all();
        m_thread.join();
    }
    bool Fired()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bFired;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_bStopped = false;
    bool m_bFired = false;
    std::thread m_thread;  // last: starts once the rest is made
};

}  // namespace special_files
