#pragma once
// Everything of the platform that the windows use, handed to each window when it is made: the
// message loop, message boxes, the settings store, the save dialog, the shell, the audio devices,
// the application flags and the program's folders. The program owns the services; they outlive
// every window.

#include "core/AppFlags.h"
#include "platform/AudioMixer.h"
#include "platform/MessageBoxService.h"
#include "platform/MessageLoop.h"
#include "platform/SaveFileDialog.h"
#include "platform/SettingsStore.h"
#include "platform/ShellService.h"
#include "platform/WaveIn.h"

#include <string>

namespace lctune {

/// The application name of the studio-wide settings ("参数", "录音棚衔接参数").
inline constexpr const char* kStudioApplication = "岚川调音器";

struct ProgramServices {
    MessageLoop& loop;
    MessageBoxService& messageBoxes;
    SettingsStore& settings;
    SaveFileDialog& saveDialog;
    ShellService& shell;
    WaveInService& waveIn;
    MixerService& mixers;
    AppFlags& flags;
    /// The folder that holds the LCTUNE/ documents (no trailing slash).
    std::string programFolder;
    /// The base name of the executable: the application name of the recording window's settings.
    std::string programName = "lctune";
    /// Where a recording goes when no file is chosen: the program folder when it is writable,
    /// otherwise the user's music or home folder.
    std::string recordingFolder;
};

} // namespace lctune
