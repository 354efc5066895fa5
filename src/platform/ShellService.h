#pragma once
// The shell: opening a document or web address with the desktop's own program, and starting
// programs. Results are not checked by callers; a program that is missing fails quietly.

#include <string>
#include <vector>

namespace lctune {

class ShellService {
public:
    virtual ~ShellService() = default;
    /// Opens a local file path or an address (http:, mailto:) as the desktop does.
    virtual bool open(const std::string& pathOrAddress) = 0;
    /// Starts `program` (found on the PATH) with `arguments`, detached; false when it cannot start.
    virtual bool startProgram(const std::string& program, const std::vector<std::string>& arguments) = 0;
};

/// The desktop's mixer views, both attempted in this order (a missing one is ignored):
/// pavucontrol (its recording tab for `recording`) and alsamixer in a terminal.
void startMixerViews(ShellService& shell, bool recording);

} // namespace lctune
