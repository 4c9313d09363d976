#include "QuilArchive.h"

#include "FileAccess.h"

bool LoadFileArchive(const std::string& path, StringArchive& archive, std::string* reason, size_t maxBytes)
{
    std::string text;
    if (!ReadRegularFile(path, maxBytes, text, reason))
        return false;
    archive = StringArchive(std::move(text), path);
    return true;
}
