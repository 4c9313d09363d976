#include "QuilFileList.h"

#include "BatchNaming.h"

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace {
constexpr const char* kQuilSuffix = ".quil";

bool HasQuilSuffix(const std::string& name)
{
    const std::string suffix = kQuilSuffix;
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}
}  // namespace

std::vector<QuilFileEntry> ListQuilFiles(const std::string& dir)
{
    std::vector<QuilFileEntry> files;
    DIR* listing = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!listing)
        return files;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (!HasQuilSuffix(name))
            continue;
        QuilFileEntry file{JoinBatchPath(dir, name), 0};
        struct stat info {};
        // A folder or a device named *.quil is no expression file.
        if (::stat(file.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        file.modified = int64_t(info.st_mtime);
        files.push_back(std::move(file));
    }
    ::closedir(listing);
    std::sort(files.begin(), files.end(),
              [](const QuilFileEntry& a, const QuilFileEntry& b) { return a.path < b.path; });
    return files;
}

void OrderOldestFirst(std::vector<QuilFileEntry>& files)
{
    std::stable_sort(files.begin(), files.end(),
                     [](const QuilFileEntry& a, const QuilFileEntry& b) { return a.modified < b.modified; });
}

std::vector<QuilFileEntry> CollectQuilFiles(const std::string& dir)
{
    std::vector<QuilFileEntry> files = ListQuilFiles(dir);
    OrderOldestFirst(files);
    return files;
}
