#pragma once
// Deep expressions as text: levels nested nodes, prefix and suffix around
// each level and the leaf at the bottom, for example
// Chain("neg[", "X[]", "]", 3) == "neg[neg[X[]]]".

#include <string>

inline std::string Chain(const std::string& prefix, const std::string& leaf, const std::string& suffix, int levels)
{
    std::string text;
    for (int i = 1; i < levels; ++i)
        text += prefix;
    text += leaf;
    for (int i = 1; i < levels; ++i)
        text += suffix;
    return text;
}
