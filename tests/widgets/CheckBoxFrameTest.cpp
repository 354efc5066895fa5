#include "core/Colors.h"
#include "widgets/WidgetArtwork.h"
#include "widgets/复选框控件.h"
#include "widgets/框架.h"
#include "widgets/绘透明图.h"

#include "WidgetTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

using namespace lctune;
using namespace lctune::testing;

namespace {

struct CheckFixture : ::testing::Test {
    void SetUp() override {
        pointAway();
        window = std::make_unique<QWidget>();
        window->resize(300, 120);
        box = make({10, 10, 120, 20});
        window->show();
        QApplication::processEvents();
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
        clicks = outs = 0;
    }
    复选框控件* make(QRect at) {
        auto* b = new 复选框控件(window.get());
        b->setGeometry(at);
        b->BackColor(rgb(230, 230, 230));
        b->Click.connect([this] { ++clicks; });
        b->MouseOut.connect([this] { ++outs; });
        return b;
    }
    void type(const QString& text) {
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, text, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, text, Qt::NoModifier);
    }
    // The box picture's top left pixel (its outer border) as drawn now.
    uint32_t boxBorder() { return packedAt(grabbed(box), 0, (20 - 13) / 2); }

    std::unique_ptr<QWidget> window;
    复选框控件* box = nullptr;
    int clicks = 0, outs = 0;
};

void setAllWidths(框架& frame, int16_t width) {
    frame.上边框宽度(width);
    frame.下边框宽度(width);
    frame.左边框宽度(width);
    frame.右边框宽度(width);
}

} // namespace

TEST_F(CheckFixture, WritingTheSameValueDoesNothingAnotherRaisesClickBeforeTheRedraw) {
    box->Value(0);
    EXPECT_EQ(clicks, 0);
    uint32_t borderDuringClick = 0;
    box->Click.connect([&] { borderDuringClick = packedAt(box->surface(), 1, 4); });
    const uint32_t uncheckedLook = packedAt(box->surface(), 1, 4);
    box->Value(1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(borderDuringClick, uncheckedLook);
    EXPECT_EQ(
        box->surface().copy(0, 3, 13, 13).convertToFormat(QImage::Format_RGB32),
        artwork::checkPicture(artwork::CheckPicture::CheckedNormal, 1).convertToFormat(QImage::Format_RGB32))
        << "the tick shows after the redraw";
}

TEST_F(CheckFixture, SpaceAndIdeographicSpaceToggleWithOneClickEach) {
    const QString space = QStringLiteral(" ");
    const QString ideographic = QString(QChar(0x3000));
    type(space);
    EXPECT_EQ(box->Value(), 1);
    type(ideographic);
    EXPECT_EQ(box->Value(), 0);
    box->Value(2);
    clicks = 0;
    type(ideographic);
    EXPECT_EQ(box->Value(), 1);
    EXPECT_EQ(clicks, 1);
    QInputMethodEvent composed;
    composed.setCommitString(ideographic);
    QApplication::sendEvent(box, &composed);
    EXPECT_EQ(box->Value(), 0);
    EXPECT_EQ(clicks, 2);
    type(QStringLiteral("a"));
    EXPECT_EQ(clicks, 2);
}

TEST_F(CheckFixture, ADisabledBoxKeepsItsValueButStillRaisesClick) {
    box->Value(1);
    box->Enabled(false);
    clicks = 0;
    type(QStringLiteral(" "));
    pointTo(box, {5, 5});
    press(box, {5, 5});
    release(box, {5, 5});
    EXPECT_EQ(box->Value(), 1);
    EXPECT_EQ(clicks, 2);
}

TEST_F(CheckFixture, PressOnOneReleaseOnAnotherClicksNeither) {
    复选框控件* other = make({10, 60, 120, 20});
    other->show();
    pointTo(box, {5, 5});
    press(box, {5, 5});
    pointTo(other, {5, 5});
    release(other, {5, 5});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(box->Value(), 0);
    EXPECT_EQ(other->Value(), 0);
    press(other, {5, 5});
    release(other, {5, 5});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(other->Value(), 1);
}

TEST_F(CheckFixture, HoverLookComesAtTheFirstTickAndLeavesWithOneMouseOut) {
    const uint32_t normal = rgb(142, 143, 143), hover = rgb(85, 134, 163);
    EXPECT_EQ(boxBorder(), normal);
    pointTo(box, {40, 10});
    EXPECT_EQ(boxBorder(), normal) << "the first movement draws the normal look";
    runFor(150);
    EXPECT_EQ(boxBorder(), hover);
    const QImage shown = grabbed(box);
    bool ring = false;
    for (int y = 1; y < 19; ++y)
        ring = ring || packedAt(shown, 13, y) == rgb(255, 255, 0);
    EXPECT_TRUE(ring) << "hover ring";
    pointAway();
    runFor(150);
    EXPECT_EQ(boxBorder(), normal);
    EXPECT_EQ(outs, 1);
    box->Caption("again");
    EXPECT_EQ(outs, 1) << "one MouseOut per departure";
}

TEST_F(CheckFixture, ShortBoxesGrowAndForeColourGivesWayToTheTextColour) {
    box->resizeTwips(1500, 100);
    EXPECT_DOUBLE_EQ(box->heightTwips(), 195);
    box->ForeColor(rgb(255, 0, 0));
    box->Enabled(true);
    EXPECT_EQ(box->ForeColor(), 0x80000012u);
    box->Enabled(false);
    EXPECT_EQ(box->ForeColor(), 0x80000011u);
}

TEST_F(CheckFixture, PropertyBagOrderAndADisabledBoxKeepsItsTextColour) {
    PropertyBag bag;
    box->BackColor(0x8000000Fu);
    box->WriteProperties(bag);
    EXPECT_TRUE(bag.entries().empty());
    box->BackColor(rgb(1, 2, 3));
    box->Caption("连续");
    box->Value(2);
    box->ForeColor(rgb(0, 0, 200));
    box->WriteProperties(bag);
    const std::vector<std::string> order{"背景颜色", "Caption", "Enabled", "Check_值", "文字颜色"};
    RecordingBag reading;
    for (const auto& [key, value] : bag.entries())
        reading.writeText(key, value, "");
    复选框控件* copy = make({10, 60, 120, 20});
    clicks = 0;
    copy->ReadProperties(reading);
    EXPECT_EQ(reading.reads, order);
    EXPECT_EQ(clicks, 0) << "loading the value raises nothing";
    EXPECT_EQ(copy->Value(), 2);
    EXPECT_EQ(copy->Caption(), "连续");
    EXPECT_EQ(copy->BackColor(), rgb(1, 2, 3));
    EXPECT_EQ(copy->ForeColor(), rgb(0, 0, 200));

    copy->Enabled(false);
    PropertyBag disabled;
    copy->WriteProperties(disabled);
    EXPECT_EQ(keysOf(disabled), order);
    复选框控件* reloaded = make({10, 90, 120, 20});
    reloaded->ReadProperties(disabled);
    EXPECT_FALSE(reloaded->Enabled());
    reloaded->Enabled(true);
    EXPECT_EQ(reloaded->ForeColor(), rgb(0, 0, 200)) << "not the grey of the disabled caption";
}

TEST(Frame, LaysOutTheSixHundredByFourHundredExample) {
    QWidget window;
    window.resize(100, 100);
    框架 frame(&window);
    frame.resizeTwips(600, 400);
    setAllWidths(frame, 30);
    const TwipsRect top = frame.strip(框架::Top), bottom = frame.strip(框架::Bottom);
    const TwipsRect left = frame.strip(框架::Left), right = frame.strip(框架::Right);
    EXPECT_EQ(std::tuple(top.top, top.left, top.width), std::tuple(0.0, 0.0, 600.0));
    EXPECT_EQ(bottom.top, 370);
    EXPECT_EQ(std::tuple(left.top, left.height), std::tuple(30.0, 355.0));
    EXPECT_EQ(std::tuple(right.top, right.height, right.left), std::tuple(30.0, 355.0, 570.0));
    auto ends = [](const LineHolder& l) { return std::tuple(l.x1, l.y1, l.x2, l.y2); };
    EXPECT_EQ(ends(frame.上图片内边线()), std::tuple(30.0, 30.0, 570.0, 30.0));
    EXPECT_EQ(ends(frame.左图片内边线()), std::tuple(30.0, 30.0, 30.0, 370.0));
    EXPECT_EQ(ends(frame.右图片内边线()), std::tuple(555.0, 30.0, 555.0, 370.0));
    EXPECT_EQ(ends(frame.下图片内边线()), std::tuple(30.0, 355.0, 570.0, 355.0));
    EXPECT_EQ(frame.上边框宽度(), 30);

    frame.上边框宽度(300);
    EXPECT_EQ(frame.strip(框架::Left).height, 400 - 300 - 30 + 15);
    frame.下边框宽度(300);
    EXPECT_EQ(frame.strip(框架::Left).height, 85) << "a negative side height keeps the old one";
    EXPECT_EQ(frame.下图片内边线().y1, 100 - 15) << "the lines are still placed";
}

TEST(Frame, BevelColoursAndPixels) {
    QWidget window;
    window.resize(100, 100);
    框架 frame(&window);
    EXPECT_EQ(frame.边框色(), rgb(0, 128, 128));
    EXPECT_EQ(frame.上图片内边线().color, rgb(0, 85, 85));
    EXPECT_EQ(frame.右图片内边线().color, rgb(128, 192, 192));
    frame.resizeTwips(600, 450);
    setAllWidths(frame, 30);
    frame.边框色(rgb(0, 64, 64));
    EXPECT_EQ(frame.左图片内边线().color, rgb(0, 43, 43));
    EXPECT_EQ(frame.下图片内边线().color, rgb(128, 160, 160));
    window.show();
    QApplication::processEvents();
    const QImage shown = grabbed(&frame);
    EXPECT_EQ(packedAt(shown, 20, 0), rgb(0, 64, 64)) << "top strip";
    EXPECT_EQ(packedAt(shown, 20, 2), rgb(0, 43, 43)) << "top inner line below the strip";
    EXPECT_EQ(packedAt(shown, 36, 20), rgb(128, 160, 160)) << "right inner line";
    EXPECT_EQ(packedAt(shown, 20, 29), rgb(0, 64, 64)) << "bottom strip";

    PropertyBag bag;
    frame.WriteProperties(bag);
    EXPECT_EQ(keysOf(bag),
              (std::vector<std::string>{"左边框宽度", "右边框宽度", "上边框宽度", "下边框宽度", "框架色"}));
    框架 copy(&window);
    copy.resizeTwips(600, 450);
    copy.ReadProperties(bag);
    EXPECT_EQ(copy.边框色(), rgb(0, 64, 64));
    EXPECT_EQ(copy.右边框宽度(), 30);
    PropertyBag none;
    框架 plain(&window);
    plain.WriteProperties(none);
    EXPECT_TRUE(none.entries().empty());
}

TEST(TransparentBlit, KeyColouredPixelsLeaveTheDestinationOnBothPaths) {
    QImage source(3, 2, QImage::Format_RGB32);
    source.setPixel(0, 0, qRgb(0, 0, 254));
    source.setPixel(1, 0, qRgb(0, 0, 255));
    source.setPixel(2, 0, qRgb(1, 0, 254));
    source.setPixel(0, 1, qRgb(0, 1, 254));
    source.setPixel(1, 1, qRgb(0, 0, 254));
    source.setPixel(2, 1, qRgb(9, 9, 9));
    for (BlitPath path : {BlitPath::Transparent, BlitPath::Masked}) {
        QImage destination(5, 4, QImage::Format_ARGB32_Premultiplied);
        destination.fill(qRgb(100, 100, 100));
        绘透明图(destination, 1, 1, 3, 2, source, 0, 0, rgb(0, 0, 254), path);
        EXPECT_EQ(packedAt(destination, 1, 1), rgb(100, 100, 100));
        EXPECT_EQ(packedAt(destination, 2, 1), rgb(0, 0, 255));
        EXPECT_EQ(packedAt(destination, 3, 1), rgb(1, 0, 254));
        EXPECT_EQ(packedAt(destination, 1, 2), rgb(0, 1, 254));
        EXPECT_EQ(packedAt(destination, 2, 2), rgb(100, 100, 100));
        EXPECT_EQ(packedAt(destination, 3, 2), rgb(9, 9, 9));
        EXPECT_EQ(packedAt(destination, 0, 0), rgb(100, 100, 100)) << "outside the rectangle";
        // Rectangles reaching past either picture are clipped, not read or written out of bounds.
        绘透明图(destination, 4, 3, 10, 10, source, 1, 1, 0, path);
        EXPECT_EQ(packedAt(destination, 4, 3), rgb(0, 0, 254));
        绘透明图(destination, -2, -1, 3, 2, source, 0, 0, 0, path);
    }
}

TEST(Artwork, KeyedPicturesHaveHardEdges) {
    // Every pixel of a picture blitted with a key colour is the key or fully opaque, and no
    // opaque pixel is a dark blend towards a black key at the edge of a white arrow.
    for (int scale : {1, 2}) {
        const QImage& arrow = artwork::arrow(artwork::Arrow::LeftWhite, scale);
        EXPECT_EQ(arrow.size(), QSize(10, 11) * scale);
        for (int y = 0; y < arrow.height(); ++y) {
            for (int x = 0; x < arrow.width(); ++x) {
                const uint32_t p = packedAt(arrow, x, y);
                EXPECT_TRUE(p == 0 || p == rgb(255, 255, 255)) << x << "," << y << " at scale " << scale;
            }
        }
        EXPECT_EQ(artwork::knobDown(scale).size(), QSize(9, 18) * scale);
        EXPECT_EQ(artwork::faderKnob(scale).size(), QSize(14, 21) * scale);
        EXPECT_EQ(artwork::roundButton(artwork::RoundButton::Lit, scale).size(), QSize(30, 30) * scale);
        EXPECT_EQ(artwork::drawNeedle(40, scale).size(), QSize(185, 145) * scale);
        // The cap covers the pivot, whatever the scale and wherever the needle points.
        for (int index : {0, 20, 40}) {
            const QImage needle = artwork::drawNeedle(index, scale);
            const QPoint pivot(static_cast<int>(artwork::kNeedlePivotX * scale),
                               static_cast<int>(artwork::kNeedlePivotY * scale));
            EXPECT_EQ(qAlpha(needle.pixel(pivot + QPoint(4, 4) * scale)), 255)
                << index << " at scale " << scale;
            EXPECT_EQ(qAlpha(needle.pixel(pivot - QPoint(4, 4) * scale)), 255)
                << index << " at scale " << scale;
        }
        // A kept needle is cut down, and drawn at its offset it is the whole picture to the pixel.
        for (int index : {0, 13, 20, 40}) {
            const artwork::Cutout& cut = artwork::needle(index, scale);
            EXPECT_LT(cut.image.width(), 185 * scale);
            QImage whole(QSize(185, 145) * scale, QImage::Format_ARGB32_Premultiplied);
            whole.fill(Qt::transparent);
            whole.setDevicePixelRatio(scale);
            QImage pieced = whole;
            QPainter(&whole).drawImage(QPoint(0, 0), artwork::drawNeedle(index, scale));
            QPainter(&pieced).drawImage(cut.offset, cut.image);
            EXPECT_EQ(pieced, whole) << index << " at scale " << scale;
        }
        EXPECT_EQ(artwork::dialFace(scale).size(), QSize(303, 305) * scale);
    }
}
