// Settings store: per-user hierarchical settings (INI files through QSettings)
// or a named INI file, addressed by backslash-separated keys as on Windows.
#pragma once

#include <memory>
#include <string>
#include <string_view>

class QSettings;

namespace platform {

// Keys are backslash-separated paths ("Tabellomatics\ReportSettings\Sales");
// each part becomes a group, so a part may itself hold '/' or '%'. Key parts,
// value names and texts are GBK.
class Settings {
public:
    // The current user's store (organisation "Tabellomatics").
    static Settings userStore();
    // An INI file of that name (GBK); its sections are keys of one part.
    static Settings iniFile(std::string_view fileName);

    Settings(Settings&&) noexcept;
    Settings& operator=(Settings&&) noexcept;
    ~Settings();

    bool keyExists(std::string_view key) const;
    bool valueExists(std::string_view key, std::string_view name) const;
    void deleteKey(std::string_view key);
    void deleteValue(std::string_view key, std::string_view name);

    // Reads give the fallback when the value is missing or does not convert.
    std::string readString(std::string_view key, std::string_view name, std::string_view fallback = {}) const;
    int readInteger(std::string_view key, std::string_view name, int fallback) const;
    bool readBool(std::string_view key, std::string_view name, bool fallback) const;

    void writeString(std::string_view key, std::string_view name, std::string_view value);
    void writeInteger(std::string_view key, std::string_view name, int value);
    // Stored as 1 or 0; "true"/"false" read back as well.
    void writeBool(std::string_view key, std::string_view name, bool value);

    // Writes pending changes to the file (also done on destruction).
    void flush();

private:
    explicit Settings(std::unique_ptr<QSettings> store);
    std::unique_ptr<QSettings> store_;
};

} // namespace platform
