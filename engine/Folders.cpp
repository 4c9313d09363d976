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
