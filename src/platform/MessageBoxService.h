#pragma once
// Message boxes. Windows show them with the warning icon; the command-line programs print them.

#include <string>

namespace lctune {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    /// A warning box (exclamation icon, OK button). Returns once the user has dismissed it.
    virtual void warning(const std::string& title, const std::string& text) = 0;
};

/// Prints "title: text" on stderr.
class ConsoleMessageBox : public MessageBoxService {
public:
    void warning(const std::string& title, const std::string& text) override;
};

} // namespace lctune
