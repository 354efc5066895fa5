#pragma once
// The property bag a widget persists its design-time properties through, owned by the window that
// hosts the widget. Keys are fixed texts; values are stored as text. Writing a value equal to its
// default stores nothing (and removes an earlier stored value), reading a missing key gives the
// default. Entries keep the order in which they were first written.
//
// Text forms: integers and colours in decimal, Booleans as "True"/"False", real numbers in their
// shortest decimal form, pictures as base64 PNG data (encoded by the widget library).

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace lctune {

class PropertyBag {
public:
    virtual ~PropertyBag() = default;

    /// Stored text of `key`, or nothing when the key is not stored.
    virtual std::optional<std::string> readText(const std::string& key) const;
    /// Stores `value` under `key`, or forgets the key when `value` equals `defaultValue`.
    virtual void writeText(const std::string& key, const std::string& value, const std::string& defaultValue);

    std::string ReadProperty(const std::string& key, const std::string& defaultValue) const;
    int64_t ReadProperty(const std::string& key, int64_t defaultValue) const;
    double ReadProperty(const std::string& key, double defaultValue) const;
    bool ReadProperty(const std::string& key, bool defaultValue) const;
    /// A colour: the packed value, system colours (top bit set) included.
    uint32_t ReadColor(const std::string& key, uint32_t defaultValue) const;
    /// The integer stored under `key`; nothing when it is missing or not a whole number, so that a
    /// caller can skip a key that fails to load.
    std::optional<int64_t> tryReadInteger(const std::string& key) const;

    void WriteProperty(const std::string& key, const std::string& value, const std::string& defaultValue);
    void WriteProperty(const std::string& key, const char* value, const char* defaultValue) {
        WriteProperty(key, std::string(value), std::string(defaultValue));
    }
    void WriteProperty(const std::string& key, int64_t value, int64_t defaultValue);
    void WriteProperty(const std::string& key, double value, double defaultValue);
    void WriteProperty(const std::string& key, bool value, bool defaultValue);
    void WriteColor(const std::string& key, uint32_t value, uint32_t defaultValue);

    bool contains(const std::string& key) const { return readText(key).has_value(); }
    const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }
    void clear() { entries_.clear(); }

    static std::string booleanText(bool value) { return value ? "True" : "False"; }
    /// "True"/"False" in any letter case, or a number (non-zero is true); nothing otherwise.
    static std::optional<bool> parseBoolean(const std::string& text);

private:
    std::vector<std::pair<std::string, std::string>> entries_;
};

} // namespace lctune
