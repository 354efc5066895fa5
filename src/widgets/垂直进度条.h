#pragma once
// The plain vertical bar: always three pixels wide; the bar grows with Value / max.

#include "widgets/PlainBar.h"

namespace lctune {

class 垂直进度条 : public PlainBar {
public:
    explicit 垂直进度条(QWidget* parent = nullptr) : PlainBar(true, parent) { resizeTwips(45, 1500); }
};

} // namespace lctune
