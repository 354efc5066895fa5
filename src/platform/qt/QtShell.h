#pragma once
// The shell on the desktop's own services: documents and addresses open through
// QDesktopServices (xdg-open on Linux), programs start detached through QProcess.

#include "platform/ShellService.h"

#include <QUrl>

namespace lctune {

class QtShell : public ShellService {
public:
    /// False when the text is empty, a local file does not exist, or the desktop refuses it.
    /// User-interface thread only.
    bool open(const std::string& pathOrAddress) override;
    /// False when the program cannot be started (not found, not executable). Any thread.
    bool startProgram(const std::string& program, const std::vector<std::string>& arguments) override;
};

/// What `open` hands to the desktop: "http:", "https:", "mailto:" and "file:" addresses as they
/// are; anything else is a local path (relative to the current folder) made into a file URL.
/// Invalid for an empty text.
QUrl shellUrl(const std::string& pathOrAddress);

} // namespace lctune
