#pragma once
// Reading and writing whole files safely. Only regular files are read: a
// device, a FIFO or a folder given where a file belongs is refused at once
// instead of blocking or never ending, and a file larger than the caller's
// bound is refused before it is read. Only a regular file, or a name that
// does not exist yet, is written (a symbolic link is followed to its target):
// the bytes go into a new unnamed file beside the target that takes the
// target's place once all of it is on the disk, so a failure leaves the old
// file as it was and nothing that is not a regular file is ever replaced.

#include <cstddef>
#include <string>

// Opens the regular file at path for reading and returns its descriptor
// (close-on-exec), or -1 with a reason for the person. Never waits: a FIFO
// without a writer is refused like any other file that is not regular.
int OpenRegularFile(const std::string& path, std::string* reason = nullptr);

// Reads the whole regular file at path into text, at most maxBytes bytes.
// False, with a reason for the person, otherwise.
bool ReadRegularFile(const std::string& path, size_t maxBytes, std::string& text, std::string* reason = nullptr);

// Where a save of path goes: path itself, or the end of its chain of
// symbolic links. False (with the reason) when that is something other than
// a regular file or a name that does not exist yet, or when a link on the way
// lies in a shared sticky folder (world-writable, like /tmp) and belongs
// neither to this user nor to the folder's owner: such a link may have been
// planted by another user, and it is refused whatever the kernel's setting.
bool ResolveSaveTarget(const std::string& path, std::string& target, std::string* reason = nullptr);

// A file that takes the place of its target only once all of it is on the
// disk. It is written unnamed (O_TMPFILE) in the target's folder, so that a
// failure or a kill leaves nothing behind and the old file as it was; where
// the file system has no unnamed files, it is written under a hidden name
// that is removed on failure.
class CSafeFileWriter {
public:
    CSafeFileWriter() = default;
    CSafeFileWriter(const CSafeFileWriter&) = delete;
    CSafeFileWriter& operator=(const CSafeFileWriter&) = delete;
    ~CSafeFileWriter();

    // Resolves path (ResolveSaveTarget), refuses a read-only file (one that
    // this user may not write, or that no one may), and opens the new file.
    bool Open(const std::string& path, std::string* reason = nullptr);
    // Writes at offset; false from the first failure on, which Finish reports.
    bool WriteAt(const void* data, size_t size, unsigned long long offset);
    bool Write(const void* data, size_t size) { return WriteAt(data, size, m_nEnd); }
    unsigned long long Size() const { return m_nEnd; }
    // The errno of the first failed write, or 0.
    int Error() const { return m_nError; }
    // Checks that every byte reached the disk: the writes, fsync and close.
    // The file gets the old file's permissions, or those of a new file.
    bool Finish(std::string* reason = nullptr);
    // Gives the finished file its name. With replace, an existing file is
    // replaced in one step; without, an existing name is refused by that very
    // step (*exists is then set), so that no one else's file made meanwhile is
    // replaced.
    bool Place(bool replace, std::string* reason = nullptr, bool* exists = nullptr);
    // Takes back a file that Place gave a new name, when it is still there.
    void Unplace();

    const std::string& Target() const { return m_strTarget; }

private:
    bool Fail(int error, std::string* reason);
    void Discard();

    int m_nFd = -1;
    int m_nFolderFd = -1;
    std::string m_strTarget;  // the resolved path
    std::string m_strName;    // its last component, in the folder of m_nFolderFd
    std::string m_strHidden;  // the fallback's name while unplaced; empty for an unnamed file
    int m_nError = 0;         // the first failure of a write
    unsigned long long m_nEnd = 0;  // the end of the bytes written
    unsigned m_nMode = 0;
    unsigned long long m_nDevice = 0, m_nInode = 0;  // of the written file, for Unplace
    bool m_bFinished = false;
    bool m_bPlaced = false;
};

// Writes bytes to path as described above. False, with a reason, when the
// file could not be written; the old file then stays as it was. Without
// replace, an existing name is refused (*exists is then set).
bool SaveFileSafely(const std::string& path, const std::string& bytes, std::string* reason = nullptr,
                    bool replace = true, bool* exists = nullptr);
