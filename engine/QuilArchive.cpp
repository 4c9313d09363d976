#include "QuilArchive.h"

#include "FileAccess.h"

bool LoadFileArchive(const std::string& path, StringArchive& archive, std::string* reason)
{
    std::string text;
    if (!ReadRegularFile(path, kMaxQuilFileBytes, text, reason))
        return false;
    archive = StringArchive(std::move(text), path);
    return true;
}
