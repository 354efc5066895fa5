#include "core/PropertyBag.h"

#include "core/Numbers.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace lctune {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::optional<double> parseNumber(const std::string& text) {
    // A stored number must be a number from its first to its last character.
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto result = std::from_chars(first, last, value);
    if (result.ec != std::errc() || result.ptr != last || first == last) return std::nullopt;
    return value;
}

} // namespace

std::optional<std::string> PropertyBag::readText(const std::string& key) const {
    for (const auto& entry : entries_) {
        if (entry.first == key) return entry.second;
    }
    return std::nullopt;
}

void PropertyBag::writeText(const std::string& key, const std::string& value,
                            const std::string& defaultValue) {
    auto found =
        std::find_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e.first == key; });
    if (value == defaultValue) {
        if (found != entries_.end()) entries_.erase(found);
        return;
    }
    if (found != entries_.end()) {
        found->second = value;
    } else {
        entries_.emplace_back(key, value);
    }
}

std::optional<bool> PropertyBag::parseBoolean(const std::string& text) {
    const std::string lower = lowerCase(text);
    if (lower == "true") return true;
    if (lower == "false") return false;
    if (auto number = parseNumber(text)) return *number != 0.0;
    return std::nullopt;
}

std::string PropertyBag::ReadProperty(const std::string& key, const std::string& defaultValue) const {
    return readText(key).value_or(defaultValue);
}

std::optional<int64_t> PropertyBag::tryReadInteger(const std::string& key) const {
    const auto text = readText(key);
    if (!text) return std::nullopt;
    const auto number = parseNumber(*text);
    if (!number || !std::isfinite(*number) || std::fabs(*number) > 9.0e18) return std::nullopt;
    return static_cast<int64_t>(roundHalfEven(*number));
}

int64_t PropertyBag::ReadProperty(const std::string& key, int64_t defaultValue) const {
    return tryReadInteger(key).value_or(defaultValue);
}

double PropertyBag::ReadProperty(const std::string& key, double defaultValue) const {
    const auto text = readText(key);
    if (!text) return defaultValue;
    const auto number = parseNumber(*text);
    return number && std::isfinite(*number) ? *number : defaultValue;
}

bool PropertyBag::ReadProperty(const std::string& key, bool defaultValue) const {
    const auto text = readText(key);
    if (!text) return defaultValue;
    return parseBoolean(*text).value_or(defaultValue);
}

uint32_t PropertyBag::ReadColor(const std::string& key, uint32_t defaultValue) const {
    const auto value = tryReadInteger(key);
    if (!value || *value < INT32_MIN || *value > static_cast<int64_t>(UINT32_MAX)) return defaultValue;
    // Colours written by signed 32-bit code arrive negative; the bit pattern is the colour.
    return static_cast<uint32_t>(*value);
}

void PropertyBag::WriteProperty(const std::string& key, const std::string& value,
                                const std::string& defaultValue) {
    writeText(key, value, defaultValue);
}

void PropertyBag::WriteProperty(const std::string& key, int64_t value, int64_t defaultValue) {
    writeText(key, numberText(value), numberText(defaultValue));
}

void PropertyBag::WriteProperty(const std::string& key, double value, double defaultValue) {
    writeText(key, numberText(value), numberText(defaultValue));
}

void PropertyBag::WriteProperty(const std::string& key, bool value, bool defaultValue) {
    writeText(key, booleanText(value), booleanText(defaultValue));
}

void PropertyBag::WriteColor(const std::string& key, uint32_t value, uint32_t defaultValue) {
    writeText(key, numberText(static_cast<int64_t>(value)), numberText(static_cast<int64_t>(defaultValue)));
}

} // namespace lctune
