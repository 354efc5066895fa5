#pragma once
// The save-file dialog. User-interface thread only.

#include <string>

namespace lctune {

class SaveFileDialog {
public:
    virtual ~SaveFileDialog() = default;
    /// Asks for a file name to save under. `filter` is "Description (*.ext)|*.ext" (pairs of a
    /// caption and a pattern, separated by '|'); with `overwritePrompt` the dialog asks before
    /// an existing file is chosen. Empty when the user cancels.
    virtual std::string askSaveFileName(const std::string& filter, bool overwritePrompt) = 0;
};

} // namespace lctune
