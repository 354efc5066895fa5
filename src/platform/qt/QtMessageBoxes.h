#pragma once
// Message boxes on QMessageBox, modal over an optional parent window. Each call returns once the
// user has answered. User-interface thread only.

#include "platform/MessageBoxService.h"

#include <QPointer>
#include <QWidget>

namespace lctune {

class QtMessageBoxes : public MessageBoxService {
public:
    /// `parent` (may be null, may go away before a box is shown) centres and owns the boxes.
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void parent(QWidget* window) { parent_ = window; }

    /// Warning icon, OK button.
    void warning(const std::string& title, const std::string& text) override;
    /// No icon, OK button.
    void notice(const std::string& title, const std::string& text) override;
    /// Yes and No buttons, no icon; true for Yes. Closing the box answers No.
    bool askYesNo(const std::string& title, const std::string& text) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace lctune
