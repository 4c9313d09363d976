// The source picture's name inside a ".quil" file. On this system a name is
// absolute when it begins with "/". Files written on Windows hold absolute
// names in a drive form ("C:\..." or "C:/...") or as network paths
// ("\\server\..."), and relative names with "\" separators that begin with
// one. A relative name is taken against the folder of the ".quil" file.

#include "QuilExpression.h"

#include <cctype>
#include <filesystem>
#include <optional>

namespace {

bool IsDriveForm(const std::string& name)
{
    return name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
           (name[2] == '\\' || name[2] == '/');
}

bool IsNetworkPath(const std::string& name) { return name.rfind("\\\\", 0) == 0; }

// The name without "." components, repeated separators and "folder/.."
// pairs. Taken by the letters, as the file dialogs and the command line
// give their names; "\" is an ordinary character here.
std::string Clean(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

// The cleaned folder of the file path ("/" for a file in the root), or none
// when the path names no folder.
std::optional<std::string> FolderOf(const std::string& filePath)
{
    const size_t slash = filePath.rfind('/');
    if (slash == std::string::npos)
        return std::nullopt;
    std::string folder = Clean(filePath.substr(0, slash + 1));
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::string Join(const std::string& folder, const std::string& relative)
{
    return folder == "/" ? "/" + relative : folder + "/" + relative;
}

}  // namespace

std::string CQuilExpression::MakeRelativePath(const std::string& picturePath, const std::string& filePath)
{
    if (picturePath.empty())
        return picturePath;
    const std::string clean = Clean(picturePath);
    if (const std::optional<std::string> folder = FolderOf(filePath)) {
        // The picture must lie in the file's folder or below it. Letter case
        // counts: on this system /Art and /art are different folders.
        const std::string prefix = Join(*folder, {});
        if (clean.size() > prefix.size() && clean.compare(0, prefix.size(), prefix) == 0) {
            std::string relative = clean.substr(prefix.size());
            // A relative name that would be read as another file ("a\b.png",
            // "C:/x.png") is no use: the absolute one is written instead.
            if (MakeAbsolutePath(relative, filePath) == clean)
                return relative;
        }
    }
    return clean;
}

std::string CQuilExpression::MakeAbsolutePath(const std::string& name, const std::string& filePath)
{
    if (name.empty() || name[0] == '/' || IsDriveForm(name) || IsNetworkPath(name))
        return name;
    // Names written on Windows use backslashes, and a leading one for a relative name.
    std::string relative = name;
    for (char& c : relative)
        if (c == '\\')
            c = '/';
    const size_t start = relative.find_first_not_of('/');
    if (start == std::string::npos)
        return name;
    relative.erase(0, start);
    const std::optional<std::string> folder = FolderOf(filePath);
    if (!folder)
        return relative;  // the file lies in the working folder
    return Clean(Join(*folder, relative));
}

std::string CQuilExpression::PictureNameToWrite(const std::string& picturePath, const std::string& filePath)
{
    const std::string name = MakeRelativePath(picturePath, filePath);
    // The format has no escapes: a name with "," or "]" would end early. A
    // name longer than the reader takes would make the file unreadable, and
    // one that is read back differently would name another picture.
    if (name.find_first_of(",]") != std::string::npos || name.size() > size_t(kMaxPictureName))
        return {};
    if (MakeAbsolutePath(name, filePath) != Clean(picturePath))
        return {};
    return name;
}

std::string CQuilExpression::RecipePictureName(const std::string& sourcePath, const std::string& picturePath)
{
    const std::string name = PictureNameToWrite(sourcePath, picturePath);
    if (name.empty() || name[0] != '/')
        return name;
    // Outside the picture's folder: the file name alone, which the reader
    // takes against the picture's folder. A backslash in it would be read
    // as a separator of a name written on Windows.
    const std::string base = name.substr(name.rfind('/') + 1);
    if (base.empty() || base.find_first_of(",]\\") != std::string::npos)
        return {};
    return base;
}
