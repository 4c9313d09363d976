#include "CNumbers.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {
// The "C" locale, made once; strtod_l reads with it whatever setlocale says.
locale_t CLocale()
{
    static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return loc;
}

std::string ToChars(double value, std::chars_format format, int precision)
{
    char buffer[512];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    if (result.ec != std::errc())
        return "nan";
    return std::string(buffer, result.ptr);
}
}  // namespace

std::string FormatFixed6(double value) { return ToChars(value, std::chars_format::fixed, 6); }

double OnTextGrid(double value)
{
    // Generation calls this for every parameter it draws, so the text is
    // skipped where arithmetic gives the same bits: "%f" prints k millionths,
    // k the exact value times 10^6 rounded to nearest; for |value| <= 1000
    // the product's rounding error stays below 1e-6, so away from a tie
    // nearbyint finds the same k (and the sign of a zero), and k / 1e6, both
    // exact, rounds as atof rounds the decimal k millionths.
    constexpr double kMillion = 1e6;
    constexpr double kLargestFast = 1000.0;
    constexpr double kTieMargin = 1e-3;
    if (std::fabs(value) <= kLargestFast) {
        const double scaled = value * kMillion;
        const double k = std::nearbyint(scaled);
        if (std::fabs(std::fabs(scaled - k) - 0.5) > kTieMargin)
            return k / kMillion;
    }
    return AtofC(FormatFixed6(value));
}

std::string FormatG17(double value) { return ToChars(value, std::chars_format::general, 17); }

double AtofC(std::string_view text)
{
    std::string s(text);  // strtod needs a terminated string
    return strtod_l(s.c_str(), nullptr, CLocale());
}

bool ParseDoubleC(std::string_view text, double& value)
{
    if (text.empty() || text.front() == ' ' || text.front() == '\t')
        return false;
    std::string s(text);
    char* end = nullptr;
    value = strtod_l(s.c_str(), &end, CLocale());
    return end == s.c_str() + s.size();
}

bool ParseLongC(std::string_view text, long long min, long long max, long long& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last && first != last && value >= min && value <= max;
}
