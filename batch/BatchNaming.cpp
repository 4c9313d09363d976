#include "BatchNaming.h"

#include "BatchSettings.h"

#include <cstdint>
#include <cstdio>

namespace {
constexpr const char* kQuilExtension = ".quil";
constexpr size_t kQuilExtensionLength = 5;

const QuilFileEntry* ListedFile(const std::vector<QuilFileEntry>& files, unsigned n)
{
    return n >= 1 && n <= files.size() ? &files[n - 1] : nullptr;
}

bool SameNameApplies(const BatchSettings& settings) { return !settings.RandomMode() && settings.SameName; }
}  // namespace

std::string BatchNumberText(unsigned offset, unsigned n)
{
    const auto number = static_cast<int32_t>(uint32_t(offset + n));
    char text[16];
    std::snprintf(text, sizeof text, "%06d", int(number));
    return text;
}

std::string BatchExtension(const std::string& bmpExt) { return bmpExt.empty() ? std::string() : bmpExt.substr(1); }

std::string JoinBatchPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string BatchFileName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MakeBitmapName(const BatchSettings& settings, unsigned n, const std::vector<QuilFileEntry>& files)
{
    const std::string extension = BatchExtension(settings.BmpExt);
    const QuilFileEntry* listed = ListedFile(files, n);
    if (SameNameApplies(settings) && listed && listed->path.size() >= kQuilExtensionLength)
        return listed->path.substr(0, listed->path.size() - kQuilExtensionLength) + extension;
    return JoinBatchPath(settings.BmpDir, settings.Filename + BatchNumberText(settings.offset, n) + extension);
}

std::string MakeQuilCopyName(const BatchSettings& settings, unsigned n, const std::vector<QuilFileEntry>& files)
{
    if (!settings.QuilCopy)
        return JoinBatchPath(settings.QuilDir, settings.Filename + BatchNumberText(settings.offset, n) + kQuilExtension);
    const QuilFileEntry* listed = ListedFile(files, n);
    if (SameNameApplies(settings) && listed)
        return JoinBatchPath(settings.BmpDir, BatchFileName(listed->path));
    return JoinBatchPath(settings.BmpDir, settings.Filename + BatchNumberText(settings.offset, n) + kQuilExtension);
}

bool WritesQuilFiles(const BatchSettings& settings) { return settings.RandomMode() || settings.QuilCopy; }
