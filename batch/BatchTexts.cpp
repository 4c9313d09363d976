#include "BatchTexts.h"

std::string FormatCounts(const char* format, std::initializer_list<long long> numbers)
{
    std::string text;
    auto next = numbers.begin();
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 'd') {
            text += next != numbers.end() ? std::to_string(*next++) : std::string();
            ++p;
        } else if (p[0] == '%' && p[1] == '%') {
            text += '%';
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

std::string CountText(uint64_t count, const char* singular, const char* plural)
{
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string BatchProgressText(uint64_t done, uint64_t total, uint64_t plainLeftOut)
{
    const uint64_t percent = total == 0 ? 0 : done * 100 / total;
    std::string text = FormatCounts(kFmtPicturesReady, {(long long)done, (long long)total, (long long)percent});
    if (plainLeftOut > 0)
        text += FormatCounts(kFmtPlainLeftOut, {(long long)plainLeftOut});
    return text;
}

std::string BatchEstimateText(uint64_t done, uint64_t total, uint64_t elapsedMs, uint64_t nowElapsedMs)
{
    constexpr uint64_t kMsPerSecond = 1000;
    constexpr uint64_t kSecondsPerMinute = 60;
    const uint64_t left = total > done ? total - done : 0;
    // 64 bits: the 32-bit product of pictures left and milliseconds passes
    // 2^32 within an hour of a long run.
    const uint64_t remaining = done == 0 ? 0 : left * elapsedMs / (done * kMsPerSecond);
    if (remaining == 0) {
        const uint64_t elapsed = nowElapsedMs / kMsPerSecond;
        return FormatCounts(kFmtDoneIn, {(long long)(elapsed / kSecondsPerMinute),
                                         (long long)(elapsed % kSecondsPerMinute)});
    }
    if (remaining <= kSecondsPerMinute)
        return FormatCounts(kFmtSecondsRemaining, {(long long)remaining});
    return FormatCounts(kFmtMinutesRemaining, {(long long)(remaining / kSecondsPerMinute),
                                               (long long)(remaining % kSecondsPerMinute)});
}
