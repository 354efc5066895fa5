#pragma once
// Fakes of the save dialog and the shell, and a bundle of every fake service with the program's
// services built over them, for tests of the windows and the program.

#include "core/AppFlags.h"
#include "platform/ProgramServices.h"
#include "platform/SaveFileDialog.h"
#include "platform/SettingsStore.h"
#include "platform/ShellService.h"
#include "support/FakeAudio.h"

#include <deque>
#include <string>
#include <vector>

namespace lctune::fake {

/// Answers with the queued names ("" = cancelled once they run out) and records each filter.
class FakeSaveDialog : public SaveFileDialog {
public:
    std::deque<std::string> names;
    std::vector<std::string> filters;
    std::string askSaveFileName(const std::string& filter, bool) override {
        filters.push_back(filter);
        if (names.empty()) return {};
        std::string name = names.front();
        names.pop_front();
        return name;
    }
};

/// Records what was opened and started; starting fails for the programs listed as missing.
class FakeShell : public ShellService {
public:
    std::vector<std::string> opened;
    std::vector<std::string> started;
    std::vector<std::string> missing;
    bool open(const std::string& pathOrAddress) override {
        opened.push_back(pathOrAddress);
        return true;
    }
    bool startProgram(const std::string& program, const std::vector<std::string>& arguments) override {
        std::string line = program;
        for (const auto& a : arguments)
            line += " " + a;
        started.push_back(line);
        return std::find(missing.begin(), missing.end(), program) == missing.end();
    }
};

/// Every service faked, and the program's services over them.
struct FakeServices {
    FakeWaveIn waveIn;
    FakeMixers mixers;
    FakeMessageLoop loop;
    FakeMessageBoxes boxes;
    MemorySettingsStore settings;
    FakeSaveDialog saveDialog;
    FakeShell shell;
    AppFlags flags;
    ProgramServices services{loop,   boxes, settings,      saveDialog, shell, waveIn,
                             mixers, flags, "/opt/lctune", "lctune",   "/tmp"};
};

} // namespace lctune::fake
