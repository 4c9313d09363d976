// libFuzzer target for the recipe readers: the ".quil" text that a picture
// carries in its PNG text chunks or JPEG comments. Each input is read as a
// picture file, and must
//  - be told from other files by its first bytes alone, as the readers' callers do;
//  - give a recipe, if any, that the expression reader takes or refuses
//    without fault, and writes back when it takes it.
// The sanitizers catch the rest. Inputs live in one memory file, so that no
// disk is written.

#include "engine/EngineHost.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "render/pictureio/PictureRecipe.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// The one file every input is written to, named through /proc.
const std::string& InputFile(int& fd)
{
    static int file = ::memfd_create("recipe", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(file);
    fd = file;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool once = (CQuilExpression::SetPoolCeiling(size_t(64) << 20), true);
    (void)once;
    int fd = -1;
    const std::string& path = InputFile(fd);
    Check(fd >= 0 && ::ftruncate(fd, 0) == 0);
    Check(size == 0 || ::pwrite(fd, data, size, 0) == ssize_t(size));

    const bool signature = HasRecipeSignature(path);
    const QByteArray head(reinterpret_cast<const char*>(data), qsizetype(size < 8 ? size : 8));
    Check(signature == (head.startsWith("\x89PNG\r\n\x1a\n") || head.startsWith("\xff\xd8\xff")));
    std::string recipe;
    const RecipeResult result = ReadPictureRecipe(path, recipe);
    Check(result != RecipeResult::Unreadable);
    if (result != RecipeResult::Found)
        return 0;
    Check(!recipe.empty());

    SilentEngineHost host;
    CQuilExpression e(&host);
    StringArchive in(recipe, path);
    if (e.ReadExpression(in)) {
        StringArchive out({}, path);
        Check(e.WriteExpression(out) == 1);
    }
    return 0;
}
