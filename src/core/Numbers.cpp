#include "core/Numbers.h"

#include <array>
#include <charconv>
#include <cmath>

namespace lctune {

double roundToPlaces(double x, int d) {
    const double scale = std::pow(10.0, d);
    return std::rint(x * scale) / scale;
}

std::string numberText(double x) {
    if (std::isnan(x)) return "nan";
    if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
    if (x == 0.0) return "0";
    // Fixed notation of the largest double needs 309 digits before the point.
    std::array<char, 400> buf{};
    const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed);
    return std::string(buf.data(), res.ptr);
}

std::string numberText(int64_t x) {
    return std::to_string(x);
}

double leadingNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t numberStart = i;
    auto isDigit = [&](size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    size_t digits = 0;
    while (isDigit(i))
        ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (isDigit(i))
            ++i, ++digits;
    }
    if (digits == 0) return 0.0;
    // An exponent counts only when at least one digit follows it ("2E" is 2, "2E3" is 2000).
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t k = i + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        if (isDigit(k)) {
            while (isDigit(k))
                ++k;
            i = k;
        }
    }
    double value = 0.0;
    const auto res = std::from_chars(text.data() + numberStart, text.data() + i, value);
    if (res.ec == std::errc::result_out_of_range) {
        // from_chars leaves value untouched on overflow or underflow; decide which it was.
        const std::string_view mantissa = text.substr(numberStart, i - numberStart);
        const auto e = mantissa.find_first_of("eE");
        value =
            (e != std::string_view::npos && mantissa.find('-', e) != std::string_view::npos) ? 0.0 : HUGE_VAL;
    }
    return negative ? -value : value;
}

} // namespace lctune
