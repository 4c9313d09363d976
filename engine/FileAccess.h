#pragma once
// Reading and writing whole files safely. Only regular files are read: a
// device, a FIFO or a folder given where a file belongs is refused at once
// instead of blocking or never ending, and a file larger than the caller's
// bound is refused before it is read. Only a regular file, or a name that
// does not exist yet, is written (a symbolic link is followed to its target):
// the text goes into a new file of an unpredictable name beside the target
// and takes the target's place when it is complete, so a failure leaves the
// old file as it was and nothing that is not a regular file is ever replaced.

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
// a regular file or a name that does not exist yet.
bool ResolveSaveTarget(const std::string& path, std::string& target, std::string* reason = nullptr);

// Writes bytes to path as described above. False, with a reason, when the
// file could not be written; the old file then stays as it was.
bool SaveFileSafely(const std::string& path, const std::string& bytes, std::string* reason = nullptr);
