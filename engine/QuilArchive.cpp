#include "QuilArchive.h"

#include <fstream>
#include <iterator>
#include <sstream>

bool LoadFileArchive(const std::string& path, StringArchive& archive)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad())
        return false;
    archive = StringArchive(text.str(), path);
    return true;
}
