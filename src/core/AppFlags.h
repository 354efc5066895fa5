#pragma once
// The application-wide flags: one instance for the whole run, never persisted. The program creates
// it and hands it to every object that reads or writes a flag.

#include <cstdint>

namespace lctune {

struct AppFlags {
    /// True between the tuner's start and end buttons; the display tick analyses only then.
    bool tunerActive = false;
    /// Mirrors the tuner window's check box that switches the equaliser on.
    bool eqEnabled = false;
    /// True exactly when all seven equaliser band values are 0.
    bool eqFlat = true;
    /// Machine-speed measurement of start-up; 0 until measured.
    int32_t speedIndex = 0;
    /// Set by the exit sequence: the recording window's next unload is final.
    bool unloadForReal = false;
};

} // namespace lctune
