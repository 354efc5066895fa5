#include "platform/ShellService.h"

namespace lctune {

void startMixerViews(ShellService& shell, bool recording) {
    if (recording)
        shell.startProgram("pavucontrol", {"--tab=2"});
    else
        shell.startProgram("pavucontrol", {});
    shell.startProgram("x-terminal-emulator", {"-e", "alsamixer", "-V", recording ? "capture" : "playback"});
}

} // namespace lctune
