#include "CNumbers.h"

#include <charconv>
#include <clocale>
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

double OnTextGrid(double value) { return AtofC(FormatFixed6(value)); }

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
