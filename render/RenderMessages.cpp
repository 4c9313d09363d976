#include "RenderMessages.h"

namespace {

std::string ReplaceFirst(std::string text, const char* placeholder, const std::string& value, size_t from = 0)
{
    const size_t at = text.find(placeholder, from);
    if (at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

}  // namespace

std::string FillMessage(const char* format, const std::string& text) { return ReplaceFirst(format, "%s", text); }

std::string FillMessage(const char* format, long long number)
{
    return ReplaceFirst(format, "%d", std::to_string(number));
}

std::string FillPictureStatus(int width, int height, const std::string& path)
{
    // Numbers first: the path may itself contain "%d".
    std::string text = ReplaceFirst(kMsgPictureStatus, "%d", std::to_string(width));
    text = ReplaceFirst(text, "%d", std::to_string(height));
    return ReplaceFirst(text, "%s", path);
}
