#include "SettingsStore.h"

#include <charconv>
#include <cstdint>

bool ParseStoredInt(const std::string& text, int& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    long long parsed = 0;
    auto [ptr, ec] = std::from_chars(first, last, parsed);
    if (ec != std::errc() || ptr != last || first == last)
        return false;
    if (parsed < INT32_MIN || parsed > static_cast<long long>(UINT32_MAX))
        return false;
    value = static_cast<int>(static_cast<uint32_t>(parsed));
    return true;
}

int MemorySettingsStore::GetProfileInt(const std::string& section, const std::string& entry, int defaultValue)
{
    auto it = m_values.find({section, entry});
    int value = 0;
    if (it == m_values.end() || !ParseStoredInt(it->second, value))
        return defaultValue;
    return value;
}

bool MemorySettingsStore::WriteProfileInt(const std::string& section, const std::string& entry, int value)
{
    return WriteProfileString(section, entry, std::to_string(value));
}

std::string MemorySettingsStore::GetProfileString(const std::string& section, const std::string& entry,
                                                  const std::string& defaultValue)
{
    auto it = m_values.find({section, entry});
    return it == m_values.end() ? defaultValue : it->second;
}

bool MemorySettingsStore::WriteProfileString(const std::string& section, const std::string& entry,
                                             const std::string& value)
{
    if (m_bFailWrites)
        return false;
    m_values[{section, entry}] = value;
    return true;
}

bool MemorySettingsStore::Contains(const std::string& section, const std::string& entry) const
{
    return m_values.count({section, entry}) != 0;
}
