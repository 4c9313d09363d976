#pragma once
// Per-user settings by section and value name: integers and strings, each read
// with a default that stands for a missing value. The program's store keeps
// them in the user's configuration; tests use MemorySettingsStore.

#include <map>
#include <string>
#include <utility>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) = 0;
    virtual bool WriteProfileInt(const std::string& section, const std::string& entry, int value) = 0;
    virtual std::string GetProfileString(const std::string& section, const std::string& entry,
                                         const std::string& defaultValue) = 0;
    virtual bool WriteProfileString(const std::string& section, const std::string& entry,
                                    const std::string& value) = 0;
};

// An in-memory store. Integers and strings share one map, as they share one
// settings file; an integer read of a value that is not a whole number gives
// the default.
class MemorySettingsStore : public SettingsStore {
public:
    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;

    bool Contains(const std::string& section, const std::string& entry) const;
    void Clear() { m_values.clear(); }
    // When set, every write fails (and stores nothing).
    bool m_bFailWrites = false;

private:
    std::map<std::pair<std::string, std::string>, std::string> m_values;
};

// Parses a stored integer the way both stores do: decimal, optional sign, no
// other characters; values in the unsigned 32-bit range wrap into int as an
// unsigned 32-bit value stored there would. Returns false for anything else.
bool ParseStoredInt(const std::string& text, int& value);
