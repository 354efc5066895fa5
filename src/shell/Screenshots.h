#pragma once
// Pictures of the running program for its documents and for looking at it: with
// LCTUNE_SCREENSHOTS=DIR the program writes, while it runs, the cover (cover.png), the whole
// screen with the tuner window and the works window under it (screen.png), the tuner window
// (tuner.png), the recording window (recording.png) and the manual in the works window's browser
// (manual.png), then closes itself. scripts/screenshots runs it under Xvfb at scale 1 and 2.

#include <string>

namespace lctune {

class 封面;

/// Schedules the pictures into `folder`; the tuner window closes after the last one.
void scheduleScreenshots(封面& cover, const std::string& folder, double tuneSeconds);

} // namespace lctune
