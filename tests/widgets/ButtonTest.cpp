#include "core/Colors.h"
#include "widgets/LCButton.h"
#include "widgets/小圆按钮.h"
#include "widgets/按钮控件图片窗.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lctune;
using namespace lctune::testing;

namespace {

struct ButtonFixture : ::testing::Test {
    void SetUp() override {
        按钮控件图片窗::instance().clear();
        window = std::make_unique<QWidget>();
        window->resize(400, 200);
        window->move(0, 0);
        pointAway();
    }
    LCButton* makeButton(QRect at) {
        auto* b = new LCButton(window.get());
        b->setGeometry(at);
        return b;
    }
    void showAll() {
        window->show();
        QApplication::processEvents();
        // The window gives its first button the focus when it is shown; tests ask for it themselves.
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
        QApplication::processEvents();
    }
    std::unique_ptr<QWidget> window;
};

bool columnHas(const QImage& image, int x, int y0, int y1, uint32_t colour) {
    for (int y = y0; y <= y1; ++y) {
        if (packedAt(image, x, y) == colour) return true;
    }
    return false;
}

} // namespace

TEST_F(ButtonFixture, FaceRunsFromWhiteAtTheTopToTheBaseColourInTheMiddle) {
    LCButton* b = makeButton({10, 10, 80, 25});
    showAll();
    const QImage& face = 按钮控件图片窗::instance().静态图.image;
    ASSERT_EQ(face.height(), 25);
    // Base 0,128,128 brightened by 18: 18,146,146; middle row m = 12.5 ends the first half at 12.
    EXPECT_EQ(packedAt(face, 0, 0), rgb(255, 255, 255));
    // Row 12 of 12.5: 255 - 237 * 12 / 12.5 = 27.48 -> 27 for red; green 255 - 109 * 0.96 = 150.36 -> 150.
    EXPECT_EQ(packedAt(face, 0, 12), rgb(27, 150, 150));
    // The bottom ends half-way between the base of row 12 and white.
    EXPECT_GT(qRed(face.pixel(0, 24)), 27);
    EXPECT_LT(qRed(face.pixel(0, 24)), 255);

    // On screen the face is stretched into the inner border rectangle (1, 1, W - 3, H - 3).
    const QImage shown = grabbed(b);
    EXPECT_EQ(packedAt(shown, 0, 12), rgb(64, 64, 64)) << "outer border, enabled";
    EXPECT_EQ(packedAt(shown, 1, 12), rgb(96, 224, 224)) << "inner highlight: base plus 96";
    EXPECT_GT(qRed(shown.pixel(40, 2)), 220) << "near white at the top";
    EXPECT_NEAR(qRed(shown.pixel(40, 12)), 18, 20);
    EXPECT_NEAR(qGreen(shown.pixel(40, 12)), 146, 10);
    EXPECT_NEAR(qBlue(shown.pixel(40, 12)), 146, 10);
}

TEST_F(ButtonFixture, PressedAndDisabledFacesAndRings) {
    LCButton* b = makeButton({10, 10, 80, 25});
    showAll();
    pointTo(b, {40, 12});
    press(b, {40, 12});
    QImage shown = grabbed(b);
    EXPECT_EQ(packedAt(shown, 40, 20), rgb(0, 96, 96)) << "pressed: each channel less 32";
    EXPECT_TRUE(columnHas(shown, 2, 4, 20, rgb(255, 255, 0))) << "hover ring";
    release(b, {40, 12});

    b->setFocus();
    pointAway();
    runFor(150);
    shown = grabbed(b);
    EXPECT_TRUE(columnHas(shown, 2, 4, 20, rgb(0, 0, 255))) << "focus ring";
    EXPECT_FALSE(columnHas(shown, 2, 4, 20, rgb(255, 255, 0)));

    b->Enabled(false);
    shown = grabbed(b);
    EXPECT_EQ(packedAt(shown, 40, 12), rgb(225, 255, 255)) << "disabled: each channel plus 225, capped";
    EXPECT_EQ(packedAt(shown, 0, 12), rgb(128, 128, 128));
    EXPECT_FALSE(columnHas(shown, 2, 4, 20, rgb(0, 0, 255)));
}

TEST_F(ButtonFixture, ToolbarButtonShowsOnlyALightBorderUntilHovered) {
    LCButton* b = makeButton({10, 10, 80, 25});
    b->工具棒(true);
    showAll();
    QImage shown = grabbed(b);
    EXPECT_EQ(packedAt(shown, 40, 12), rgb(16, 144, 144));
    EXPECT_EQ(packedAt(shown, 0, 12), rgb(96, 224, 224));
    pointTo(b, {40, 12});
    pointTo(b, {41, 12});
    shown = grabbed(b);
    EXPECT_NE(packedAt(shown, 40, 12), rgb(16, 144, 144)) << "the face shows while hovered";
}

TEST_F(ButtonFixture, FacesAreRenderedOncePerColourHeightAndBrightness) {
    const int before = LCButton::facesRendered();
    LCButton* a = makeButton({10, 10, 80, 25});
    LCButton* b = makeButton({10, 50, 120, 25});
    showAll();
    grabbed(a);
    grabbed(b);
    EXPECT_EQ(LCButton::facesRendered() - before, 1);
    EXPECT_EQ(按钮控件图片窗::instance().控件特征list, std::vector<std::string>{"8421376_375_18"});

    a->亮度(300);
    EXPECT_EQ(a->亮度(), 255);
    b->亮度(255);
    EXPECT_EQ(a->faceKey(), b->faceKey());
    const QImage faceA = grabbed(a), faceB = grabbed(b);
    for (int y = 3; y < 22; ++y)
        EXPECT_EQ(packedAt(faceA, 40, y), packedAt(faceB, 40, y)) << y;
    a->亮度(-300);
    EXPECT_EQ(a->亮度(), -255);
}

TEST(ButtonStore, ReadingASlotNeverWrittenChangesNothing) {
    auto& store = 按钮控件图片窗::instance();
    store.clear();
    store.静态图 = {7, QImage(2, 7, QImage::Format_RGB32)};
    store.静态图.image.fill(Qt::red);
    store.按钮控件编号_写(0);
    store.静态图 = {9, QImage(2, 9, QImage::Format_RGB32)};
    store.静态图.image.fill(Qt::blue);
    store.按钮控件编号_读(5);
    EXPECT_EQ(store.静态图.height, 9);
    EXPECT_EQ(store.静态图.image.pixel(0, 0), QColor(Qt::blue).rgb());
    store.按钮控件编号_读(0);
    EXPECT_EQ(store.静态图.height, 7);
    EXPECT_EQ(store.静态图.image.pixel(0, 0), QColor(Qt::red).rgb());
}

TEST_F(ButtonFixture, OnlyAPressAndReleaseOnTheSameButtonClicks) {
    LCButton* a = makeButton({10, 10, 80, 25});
    LCButton* b = makeButton({10, 50, 80, 25});
    showAll();
    int clicksA = 0, clicksB = 0;
    a->Click.connect([&] { ++clicksA; });
    b->Click.connect([&] { ++clicksB; });

    pointTo(a, {20, 10});
    press(a, {20, 10});
    pointTo(b, {20, 10});
    release(b, {20, 10});
    EXPECT_EQ(clicksA + clicksB, 0) << "pressed on one, released on another";

    pointTo(a, {20, 10});
    press(a, {20, 10});
    pointAway();
    release(a, {500, 500});
    EXPECT_EQ(clicksA, 0) << "released outside";

    pointTo(a, {20, 10});
    press(a, {20, 10});
    release(a, {20, 10});
    EXPECT_EQ(clicksA, 1);
}

TEST_F(ButtonFixture, ValueTrueClicksLikeAUserAndDisabledButtonsDoNot) {
    LCButton* a = makeButton({10, 10, 80, 25});
    showAll();
    int clicks = 0;
    a->Click.connect([&] { ++clicks; });
    a->Value(true);
    a->Value(false);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(a->Value());
    a->setFocus();
    QTest::keyClick(a, Qt::Key_Space);
    EXPECT_EQ(clicks, 2);
    a->Enabled(false);
    a->Value(true);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ButtonFixture, HoverLooksAndOneMouseOutWhenThePointerLeaves) {
    LCButton* a = makeButton({10, 10, 80, 25});
    showAll();
    int outs = 0;
    a->MouseOut.connect([&] { ++outs; });
    pointTo(a, {20, 10});
    pointTo(a, {21, 10});
    EXPECT_TRUE(a->hovered());
    EXPECT_EQ(a->亮度(), 18 + 32) << "hovered faces are 32 brighter";
    EXPECT_TRUE(columnHas(grabbed(a), 2, 4, 20, rgb(255, 255, 0)));
    pointTo(a, {79, 24});
    runFor(150);
    EXPECT_TRUE(a->hovered()) << "the last column and row are inside";
    EXPECT_EQ(outs, 0);
    pointAway();
    runFor(250);
    EXPECT_FALSE(a->hovered());
    EXPECT_EQ(a->亮度(), 18);
    EXPECT_EQ(outs, 1);
    EXPECT_FALSE(columnHas(grabbed(a), 2, 4, 20, rgb(255, 255, 0)));
}

TEST_F(ButtonFixture, ARepaintDoesNotAskForAnother) {
    LCButton* a = makeButton({10, 10, 80, 25});
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    a->installEventFilter(&counter);
    showAll();
    runFor(50);
    counter.paints = 0;
    runFor(150);
    EXPECT_EQ(counter.paints, 0);
    a->Caption("x");
    runFor(50);
    EXPECT_GE(counter.paints, 1);
    EXPECT_LE(counter.paints, 2);
}

TEST_F(ButtonFixture, HeightBelowSixtyTwipsIsRaised) {
    LCButton* a = makeButton({10, 10, 80, 2});
    showAll();
    grabbed(a);
    EXPECT_EQ(a->height(), 4);
    EXPECT_DOUBLE_EQ(a->heightTwips(), 60.0);
}

TEST_F(ButtonFixture, PropertyBagSkipsDefaultsAndRestoresEveryKey) {
    LCButton* a = makeButton({10, 10, 80, 25});
    PropertyBag bag;
    a->WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());

    a->工具棒(true);
    a->按键色(rgb(10, 20, 30));
    a->亮度(-40);
    a->CRad(7);
    a->Caption("录音");
    a->标题色(rgb(255, 255, 255));
    a->图片位置(3);
    a->IconMaskColor(rgb(255, 0, 255));
    a->Enabled(false);
    QImage icon(4, 4, QImage::Format_RGB32);
    icon.fill(Qt::green);
    a->Picture(icon);
    a->WriteProperties(bag);
    EXPECT_EQ(keysOf(bag),
              (std::vector<std::string>{"是工具棒", "按键颜色", "按键的亮度", "圆角宽度", "Caption", "标题色",
                                        "图片的位置", "图案.BackColor", "有效", "Picture"}));

    RecordingBag reading;
    for (const auto& [key, value] : bag.entries())
        reading.writeText(key, value, "");
    LCButton* b = makeButton({10, 50, 80, 25});
    b->ReadProperties(reading);
    EXPECT_EQ(reading.reads, keysOf(bag));
    EXPECT_TRUE(b->工具棒());
    EXPECT_EQ(b->按键色(), rgb(10, 20, 30));
    EXPECT_EQ(b->亮度(), -40);
    EXPECT_EQ(b->CRad(), 7);
    EXPECT_EQ(b->Caption(), "录音");
    EXPECT_EQ(b->标题色(), rgb(255, 255, 255));
    EXPECT_EQ(b->图片位置(), 3);
    EXPECT_EQ(b->IconMaskColor(), rgb(255, 0, 255));
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(b->Picture().convertToFormat(QImage::Format_RGB32), icon);
}

TEST_F(ButtonFixture, RoundButtonClicksBetweenPressedAndReleasedLooks) {
    auto* r = new 小圆按钮(window.get());
    r->setGeometry(10, 10, 60, 50);
    showAll();
    std::vector<bool> pressedDuringClick;
    r->Click.connect([&] { pressedDuringClick.push_back(r->pressed()); });
    r->Value(true);
    press(r, {5, 5});
    release(r, {5, 5});
    press(r, {5, 5});
    release(r, {300, 300});
    r->setFocus();
    QTest::keyClick(r, Qt::Key_Space);
    ASSERT_EQ(pressedDuringClick.size(), 3u);
    EXPECT_TRUE(pressedDuringClick[0]);
    EXPECT_FALSE(r->pressed());

    r->Enabled(false);
    r->Value(true);
    EXPECT_EQ(pressedDuringClick.size(), 3u);
    const QImage shown = grabbed(r);
    EXPECT_EQ(packedAt(shown, 0, 25), rgb(128, 128, 128)) << "disabled border";
}

TEST_F(ButtonFixture, RoundButtonBagSavesPictureBeforeTheMaskColour) {
    auto* r = new 小圆按钮(window.get());
    PropertyBag bag;
    r->WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    r->CRad(3);
    r->Caption("退出");
    r->标题色(1);
    r->图片位置(2);
    r->IconMaskColor(2);
    r->Enabled(false);
    QImage icon(3, 3, QImage::Format_RGB32);
    icon.fill(Qt::black);
    r->Picture(icon);
    r->WriteProperties(bag);
    EXPECT_EQ(keysOf(bag), (std::vector<std::string>{"圆角宽度", "Caption", "标题色", "图片的位置", "Picture",
                                                     "图案.BackColor", "有效"}));
    RecordingBag reading;
    for (const auto& [key, value] : bag.entries())
        reading.writeText(key, value, "");
    auto* s = new 小圆按钮(window.get());
    s->ReadProperties(reading);
    EXPECT_EQ(reading.reads, (std::vector<std::string>{"圆角宽度", "Caption", "标题色", "图片的位置",
                                                       "图案.BackColor", "有效", "Picture"}));
    EXPECT_EQ(s->Caption(), "退出");
    EXPECT_FALSE(s->Enabled());
    EXPECT_EQ(s->图片位置(), 2);
}
