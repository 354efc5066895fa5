#include "platform/qt/QtMessageBoxes.h"

#include <QMessageBox>

namespace lctune {

namespace {

// The button the user chose; closing the box chooses `escape`.
int ask(QWidget* parent, QMessageBox::Icon icon, const std::string& title, const std::string& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton escape) {
    QMessageBox box(icon, QString::fromStdString(title), QString::fromStdString(text), buttons, parent);
    box.setEscapeButton(escape);
    return box.exec();
}

} // namespace

void QtMessageBoxes::warning(const std::string& title, const std::string& text) {
    ask(parent_, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtMessageBoxes::notice(const std::string& title, const std::string& text) {
    ask(parent_, QMessageBox::NoIcon, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtMessageBoxes::askYesNo(const std::string& title, const std::string& text) {
    return ask(parent_, QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No) == QMessageBox::Yes;
}

} // namespace lctune
