#pragma once
// The program's settings store: QSettings with organization
// "TalvosArtPrograms" and application "Quil" (on Linux the file
// $XDG_CONFIG_HOME/TalvosArtPrograms/Quil.conf), values as "Section/Name".
// A settings file that is not a regular file (a FIFO would block every start)
// is neither read nor written: a warning goes to standard error, and the
// values of this run are kept in memory from the defaults on.

#include "engine/SettingsStore.h"

#include <memory>

class QSettings;

inline constexpr const char* kSettingsOrganization = "TalvosArtPrograms";
inline constexpr const char* kSettingsApplication = "Quil";

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();
    // A store over an explicit file (tests).
    explicit QtSettingsStore(const std::string& iniFile);
    ~QtSettingsStore() override;

    int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue) override;
    bool WriteProfileInt(const std::string& section, const std::string& entry, int value) override;
    std::string GetProfileString(const std::string& section, const std::string& entry,
                                 const std::string& defaultValue) override;
    bool WriteProfileString(const std::string& section, const std::string& entry,
                            const std::string& value) override;
    // Writes pending changes to disk; false when the file cannot be written.
    bool Sync();

private:
    std::unique_ptr<QSettings> m_settings;     // null when the file is refused
    std::unique_ptr<SettingsStore> m_pMemory;  // the values of this run then
};
