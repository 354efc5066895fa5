#include "widgets/LCButton.h"
#include "widgets/按钮控件图片窗.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

using namespace lctune;
using namespace lctune::testing;

TEST(Probe, HoverViaCursor) {
    QWidget window;
    window.resize(300, 200);
    LCButton button(&window);
    button.setGeometry(10, 10, 80, 25);
    window.show();
    QApplication::processEvents();
    int outs = 0;
    button.MouseOut.connect([&] { ++outs; });
    pointTo(&button, QPoint(20, 10));
    pointTo(&button, QPoint(21, 10));
    EXPECT_TRUE(button.hovered());
    pointAway();
    runFor(250);
    EXPECT_FALSE(button.hovered());
    EXPECT_EQ(outs, 1);
}
