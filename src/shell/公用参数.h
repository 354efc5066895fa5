#pragma once
// The two timing routines of start-up: a wait that keeps the user interface alive, and the
// machine-speed measurement that decides whether the works window is shown. Both use the
// monotonic clock, so an interval that spans midnight (or a clock change) still ends.
// User-interface thread only.

#include "core/AppFlags.h"
#include "platform/MessageLoop.h"

#include <cstdint>

namespace lctune::公用参数 {

/// Returns after `seconds`, letting pending messages run the whole time.
void waitSeconds(double seconds, MessageLoop& loop);

/// Counts how often the clock can be read in a quarter of a second and sets flags.speedIndex to
/// that count / 300, rounded halves to even.
void measureSpeed(AppFlags& flags);

/// The speed index of a count of passes: passes / 300, halves to even (450000 gives 1500).
int32_t speedIndexOf(int64_t passes);

// clang-format miscounts the bytes of a Chinese namespace name in this comment.
// clang-format off
} // namespace lctune::公用参数
// clang-format on
