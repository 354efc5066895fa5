#pragma once
// The one set of number helpers: rounding (halves to even), clipping to 16 bits, the text of a
// number and the leading number of a text. Every subsystem uses these; none re-implements them.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace lctune {

/// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
/// Relies on the default floating-point rounding mode, which the program never changes (rint is
/// nearbyint without the cost of keeping the inexact flag).
inline double roundHalfEven(double x) {
    return std::rint(x);
}

/// roundHalfEven for the hot loops of the filters: adding and removing 1.5 · 2^52 leaves the
/// nearest integer (halves to even) of any |x| < 2^51 at the cost of two additions, where a call
/// to rint would sit in a loop-carried dependency chain. Larger values take rint itself.
inline double roundHalfEvenFast(double x) {
    constexpr double kShift = 6755399441055744.0; // 1.5 · 2^52
    if (!(std::fabs(x) < 2251799813685248.0)) return std::rint(x);
    // Without -ffast-math the compiler may not fold (x + k) - k back into x.
    return (x + kShift) - kShift;
}

/// roundHalfEven as a 32-bit integer; saturates at the ends of the range, NaN gives 0.
inline int32_t roundToInt32(double x) {
    if (std::isnan(x)) return 0;
    const double r = std::rint(x);
    if (r >= 2147483647.0) return INT32_MAX;
    if (r <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(r);
}

/// x rounded to d decimal places: roundHalfEven(x * 10^d) / 10^d in double precision.
double roundToPlaces(double x, int d);

/// A real sample value as 16 bits: above 32767 -> 32767, below -32768 -> -32768, otherwise
/// rounded halves to even. NaN, which no sample path should produce, becomes 0 (silence).
inline int16_t clip16(double x) {
    if (x > 32767.0) return 32767;
    if (x < -32768.0) return -32768;
    if (std::isnan(x)) return 0;
    return static_cast<int16_t>(std::rint(x));
}

/// The text of a number as labels show it: the shortest decimal form that reads back as the same
/// double, point as separator, no exponent, no trailing zeros, no leading spaces ("440", "466.2",
/// "0.67", "-3"). Negative zero reads "0"; infinities and NaN read "inf", "-inf", "nan".
std::string numberText(double x);
std::string numberText(int64_t x);
inline std::string numberText(int32_t x) {
    return numberText(static_cast<int64_t>(x));
}
inline std::string numberText(int16_t x) {
    return numberText(static_cast<int64_t>(x));
}

/// The leading decimal number of a text, independent of the locale: leading blanks are skipped,
/// then an optional sign, digits with an optional point and fraction, and an optional exponent;
/// parsing stops at the first character that cannot continue the number ("441.3HZ" -> 441.3,
/// "82.5HZ" -> 82.5). A text without a leading number gives 0.
double leadingNumber(std::string_view text);

} // namespace lctune
