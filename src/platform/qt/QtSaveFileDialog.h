#pragma once
// The save-file dialog on QFileDialog. User-interface thread only.

#include "platform/SaveFileDialog.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace lctune {

class QtSaveFileDialog : public SaveFileDialog {
public:
    /// `parent` (may be null) owns the dialog; `caption` is its title (Qt's own when empty).
    explicit QtSaveFileDialog(QWidget* parent = nullptr, QString caption = {})
        : parent_(parent), caption_(std::move(caption)) {}
    void parent(QWidget* window) { parent_ = window; }

    /// Starts with an empty file name in the current folder. Empty when the user cancels.
    std::string askSaveFileName(const std::string& filter, bool overwritePrompt) override;

private:
    QPointer<QWidget> parent_;
    QString caption_;
};

/// A filter of caption and pattern pairs separated by '|' ("WAV 文件 (*.wav)|*.wav|All (*.*)|*.*")
/// in QFileDialog's form ("WAV 文件 (*.wav);;All (*.*)"). A caption that does not show its
/// pattern gets it appended in parentheses; patterns separated by ';' are separated by spaces; a
/// caption without a pattern is taken as it is. Empty for an empty filter (every file).
QString qtFileFilter(const std::string& filter);

} // namespace lctune
