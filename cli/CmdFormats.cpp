// quil-cli formats: the picture types Quil writes and reads.

#include "CliSupport.h"

#include "render/pictureio/PictureIO.h"

#include <algorithm>
#include <iostream>

namespace {

void PrintTypes(const std::vector<PictureFileType>& types)
{
    size_t width = 0;
    for (const PictureFileType& type : types)
        width = std::max(width, type.description.size());
    for (const PictureFileType& type : types) {
        std::string description = type.description;
        description.resize(width + 2, ' ');
        std::cout << "  " << description << type.PatternList() << "\n";
    }
}

int RunFormats(const std::vector<std::string>& args)
{
    if (!args.empty())
        return UsageError("formats", "takes no arguments");
    std::cout << "Writable picture types (the extension of the output file chooses one):\n";
    PrintTypes(WritablePictureTypes());
    std::cout << "\nReadable picture types (source pictures):\n";
    PrintTypes(ReadablePictureTypes(true));
    return kExitOk;
}

const CommandRegistration registration({
    "formats",
    "list the picture types Quil writes and reads",
    "Usage: quil-cli formats\n\n"
    "Lists the picture types that can be saved (chosen by the file extension, in\n"
    "any case) and those that can be loaded as source pictures, each with its\n"
    "description and file patterns. Icon types are read but never written.\n",
    &RunFormats,
    50,
});

}  // namespace
