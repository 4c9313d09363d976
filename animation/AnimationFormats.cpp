#include "AnimationFormats.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

const AnimationTypeInfo kAnimationTypes[kNumAnimationTypes] = {
    {"webp", "Animated WebP", "webp", "libwebp", false, false},
    {"gif", "Animated GIF", "gif", "gif", false, false},
    {"mp4", "MP4 video (H.264)", "mp4", "libx264", true, true},
    {"webm", "WebM video (VP9)", "webm", "libvpx-vp9", true, true},
    {"png", "Numbered PNG frames", nullptr, "png", true, false},
};

int AnimationTypeOfName(const std::string& fileName)
{
    const size_t slash = fileName.rfind('/');
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return -1;
    std::string extension = fileName.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    for (int t = 0; t < kNumAnimationTypes; ++t)
        if (extension == kAnimationTypes[t].extension)
            return t;
    return -1;
}

std::string AnimationDialogFilter()
{
    std::string filter;
    for (const AnimationTypeInfo& type : kAnimationTypes) {
        if (!filter.empty())
            filter += ";;";
        filter += std::string(type.description) + " (*." + type.extension + ")";
    }
    return filter;
}

std::string PngFrameName(const std::string& fileName, int k, int count)
{
    const size_t dot = fileName.rfind('.');
    int digits = 4;
    for (int n = count - 1; n >= 10000; n /= 10)
        ++digits;
    char number[32];
    std::snprintf(number, sizeof number, "-%0*d", digits, k);
    return fileName.substr(0, dot) + number + fileName.substr(dot);
}
