#pragma once
// Message boxes. Windows show them on screen; the command-line programs print them. Each call
// returns once the user has answered.

#include <string>

namespace lctune {

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    /// A warning: exclamation icon, OK button.
    virtual void warning(const std::string& title, const std::string& text) = 0;
    /// A plain message: no icon, OK button.
    virtual void notice(const std::string& title, const std::string& text) { warning(title, text); }
    /// A question with Yes and No buttons and no icon; true for Yes.
    virtual bool askYesNo(const std::string& title, const std::string& text) {
        notice(title, text);
        return false;
    }
};

/// Prints "title: text" on stderr; questions are answered No.
class ConsoleMessageBox : public MessageBoxService {
public:
    void warning(const std::string& title, const std::string& text) override;
};

} // namespace lctune
