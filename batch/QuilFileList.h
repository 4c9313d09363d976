#pragma once
// The expression files of a folder for a batch run in existing mode: the
// regular files whose names end in ".quil", oldest first by modification
// time (whole seconds); files of the same second keep the listing's order,
// which is the order of their names.

#include <cstdint>
#include <string>
#include <vector>

struct QuilFileEntry {
    std::string path;     // the folder joined with the file's name
    int64_t modified = 0; // modification time, whole seconds
};

// The folder's ".quil" files (symbolic links to regular files included) in
// the byte order of their names. An unreadable folder lists nothing.
std::vector<QuilFileEntry> ListQuilFiles(const std::string& dir);
// Oldest first; equal times keep their order.
void OrderOldestFirst(std::vector<QuilFileEntry>& files);
// ListQuilFiles, then OrderOldestFirst.
std::vector<QuilFileEntry> CollectQuilFiles(const std::string& dir);
