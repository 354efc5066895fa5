#pragma once
// Observable displays that live outside any window: a label's text and background, and the
// integer value of a needle meter. A window mirrors them on screen by listening to their events.

#include "core/Event.h"

#include <cstdint>
#include <string>

namespace lctune {

class Label {
public:
    explicit Label(std::string text, uint32_t backColor = 0)
        : text_(std::move(text)), backColor_(backColor) {}

    const std::string& Text() const { return text_; }
    /// Raises Change only when the text actually changes.
    void Text(std::string value) {
        if (value == text_) return;
        text_ = std::move(value);
        Change();
    }

    uint32_t BackColor() const { return backColor_; }
    /// Raises BackColorChange only when the colour actually changes.
    void BackColor(uint32_t value) {
        if (value == backColor_) return;
        backColor_ = value;
        BackColorChange();
    }

    Event<> Change;
    Event<> BackColorChange;

private:
    std::string text_;
    uint32_t backColor_;
};

/// The value of a needle meter: a number written to it is taken as single precision and kept
/// as the nearest integer, halves to even; reading gives that integer back. Change is raised
/// when the integer changes.
class NeedleValue {
public:
    int32_t Value() const { return value_; }
    void Value(double number);

    Event<> Change;

private:
    int32_t value_ = 0;
};

} // namespace lctune
