#include "platform/SettingsStore.h"

#include <charconv>
#include <cmath>

namespace lctune {

namespace {
std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}
} // namespace

int64_t SettingsStore::readInteger(const std::string& application, const std::string& section,
                                   const std::string& key, int64_t defaultValue) {
    const std::string text = trimmed(read(application, section, key, std::to_string(defaultValue)));
    int64_t value = 0;
    const char* begin = text.data() + (text.size() > 1 && text[0] == '+' ? 1 : 0);
    const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || begin == end) return defaultValue;
    return value;
}

double SettingsStore::readNumber(const std::string& application, const std::string& section,
                                 const std::string& key, double defaultValue) {
    const std::string text = trimmed(read(application, section, key, ""));
    if (text.empty()) return defaultValue;
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) return defaultValue;
    return value;
}

std::string MemorySettingsStore::read(const std::string& application, const std::string& section,
                                      const std::string& key, const std::string& defaultValue) {
    const auto it = values.find({application, section, key});
    return it == values.end() ? defaultValue : it->second;
}

bool MemorySettingsStore::write(const std::string& application, const std::string& section,
                                const std::string& key, const std::string& value) {
    if (failWrites) return false;
    values[{application, section, key}] = value;
    ++writes;
    return true;
}

} // namespace lctune
