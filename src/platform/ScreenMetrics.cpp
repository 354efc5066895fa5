#include "platform/ScreenMetrics.h"

namespace lctune {

namespace {
const ScreenMetrics* installedMetrics = nullptr;
} // namespace

const ScreenMetrics& ScreenMetrics::current() {
    static const FixedScreenMetrics fallback;
    return installedMetrics ? *installedMetrics : fallback;
}

void ScreenMetrics::install(const ScreenMetrics* metrics) {
    installedMetrics = metrics;
}

bool ScreenMetrics::installed() {
    return installedMetrics != nullptr;
}

} // namespace lctune
