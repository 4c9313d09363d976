#include "Folders.h"

#include <filesystem>
#include <system_error>

bool MakeFolders(const std::string& path, std::string* reason)
{
    if (path.empty())
        return true;  // the working folder
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path), error);
    if (!error && std::filesystem::is_directory(std::filesystem::path(path), error))
        return true;
    if (reason)
        *reason = error ? error.message() : std::string("not a folder");
    return false;
}

bool MakeFolderOf(const std::string& filePath, std::string* reason)
{
    const size_t slash = filePath.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return true;
    return MakeFolders(filePath.substr(0, slash), reason);
}
