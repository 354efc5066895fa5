#include "shell/公用参数.h"

#include "core/Numbers.h"

#include <chrono>
#include <thread>

namespace lctune::公用参数 {

namespace {
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}
} // namespace

void waitSeconds(double seconds, MessageLoop& loop) {
    const auto t0 = Clock::now();
    while (secondsSince(t0) < seconds) {
        loop.processPending();
        // A short nap between passes keeps the wait from spinning a whole core.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int32_t speedIndexOf(int64_t passes) {
    return roundToInt32(static_cast<double>(passes) / 300.0);
}

void measureSpeed(AppFlags& flags) {
    const auto t0 = Clock::now();
    int64_t passes = 0;
    while (secondsSince(t0) < 0.25)
        ++passes;
    flags.speedIndex = speedIndexOf(passes);
}

// clang-format miscounts the bytes of a Chinese namespace name in this comment.
// clang-format off
} // namespace lctune::公用参数
// clang-format on
