#pragma once
// The plain horizontal bar: always three pixels high; the bar grows with Value / max.

#include "widgets/PlainBar.h"

namespace lctune {

class 水平进度条 : public PlainBar {
public:
    explicit 水平进度条(QWidget* parent = nullptr) : PlainBar(false, parent) { resizeTwips(1500, 45); }
};

} // namespace lctune
