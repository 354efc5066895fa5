#pragma once
// The per-user settings store: text values addressed by an application name, a section and a key.
// Reading gives the default when the key is absent; writing creates or replaces the value. Numbers
// are stored as decimal text, the Boolean true as the word True. User-interface thread only.

#include <cstdint>
#include <map>
#include <string>
#include <tuple>

namespace lctune {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    /// The stored text, or `defaultValue` when the key is absent.
    virtual std::string read(const std::string& application, const std::string& section,
                             const std::string& key, const std::string& defaultValue) = 0;
    /// Creates or replaces the value; false when the store refuses it.
    virtual bool write(const std::string& application, const std::string& section, const std::string& key,
                       const std::string& value) = 0;
    /// Makes everything written so far permanent; false when it cannot be saved.
    virtual bool sync() = 0;
    /// Where the values are kept, for messages (a folder); empty when nowhere on disk.
    virtual std::string where() const { return {}; }

    /// A whole number: the stored text when it is one (a hand-edited file may hold anything),
    /// otherwise `defaultValue`. Never throws.
    int64_t readInteger(const std::string& application, const std::string& section, const std::string& key,
                        int64_t defaultValue);
    /// A real number, likewise.
    double readNumber(const std::string& application, const std::string& section, const std::string& key,
                      double defaultValue);
};

/// The text of a stored Boolean true.
inline constexpr const char* kStoredTrue = "True";

/// A store held in memory only: for the command-line programs and tests.
class MemorySettingsStore : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override;
    bool write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override;
    bool sync() override { return !failWrites; }

    using Key = std::tuple<std::string, std::string, std::string>;
    std::map<Key, std::string> values;
    /// Every write (and sync) fails while set, as on a read-only configuration folder.
    bool failWrites = false;
    int writes = 0;
};

} // namespace lctune
