#include "platform/qt/QImagePlotSurface.h"
#include "core/Colors.h"
#include "dsp/clsDraw.h"
#include "platform/qt/PictureBox.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

using namespace lctune;

namespace {

constexpr uint32_t kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255);
constexpr uint32_t kWhite = rgb(255, 255, 255), kYellow = rgb(255, 255, 0);

// The picture as rows of letters, one per device pixel: '.' black, R G B W Y, '?' anything else.
std::string art(const QImage& image) {
    const std::map<QRgb, char> letters{{qRgb(0, 0, 0), '.'},       {qRgb(255, 0, 0), 'R'},
                                       {qRgb(0, 255, 0), 'G'},     {qRgb(0, 0, 255), 'B'},
                                       {qRgb(255, 255, 255), 'W'}, {qRgb(255, 255, 0), 'Y'}};
    std::string rows;
    for (int y = 0; y < image.height(); ++y) {
        rows += '\n';
        for (int x = 0; x < image.width(); ++x) {
            const auto it = letters.find(image.pixel(x, y));
            rows += it == letters.end() ? '?' : it->second;
        }
    }
    return rows;
}

// Axis-aligned primitives, the same in logical pixels at every scale.
void drawSquareThings(PlotSurface& s) {
    s.clear();
    s.fillRect(1, 1, 4, 3, kRed);
    s.line(6, 1, 10, 1, kGreen);
    s.line(11, 0, 11, 0, kGreen);
    s.rectangle(0, 4, 5, 8, kWhite);
    s.point(2, 5, kYellow);
    s.point(10, 6, kYellow);
    s.drawColor(kBlue);
    s.lineTo(10, 3);
    s.scaleWidth(24);
    s.scaleHeight(16);
    s.fillRect(24, 16, 20, 14, kRed);
    s.scaleWidth(12);
    s.scaleHeight(8);
}

} // namespace

TEST(QImagePlotSurface, PrimitivesCoverTheirFirstPixelsAndNotTheirLast) {
    QImagePlotSurface s(12, 8);
    s.backColor(kBlue);
    s.clear();
    EXPECT_EQ(s.image().pixel(11, 7), qRgb(0, 0, 255)) << "clear fills with the background colour";
    s.backColor(0);
    drawSquareThings(s);
    s.moveTo(6, 3);
    s.lineTo(9, 6);
    EXPECT_EQ(art(s.image()), R"(
............
.RRR..GGGG..
.RRR........
......B.....
WWWWW..B..B.
W.Y.W...B.B.
W...W.....B.
WWWWW.....RR)");
}

TEST(QImagePlotSurface, AtScaleTwoEachLogicalPixelIsTwoByTwoDevicePixels) {
    QImagePlotSurface one(12, 8), two(12, 8, 2);
    drawSquareThings(one);
    drawSquareThings(two);
    EXPECT_EQ(two.image().size(), QSize(24, 16));
    EXPECT_EQ(two.image().devicePixelRatio(), 2.0);
    EXPECT_EQ(art(two.image()), art(one.image().scaled(24, 16)));

    one.setScale(2);
    EXPECT_EQ(art(one.image()), art(two.image())) << "a new scale keeps the picture";
}

TEST(QImagePlotSurface, LinesFarOutsideAreCutToThePictureAndNonsenseDrawsNothing) {
    QImagePlotSurface s(12, 8);
    const uint64_t start = s.changeCount();
    s.line(-1e12, 2, 1e12, 2, kWhite);
    EXPECT_EQ(art(s.image()).substr(1 + 2 * 13, 12), "WWWWWWWWWWWW");
    EXPECT_EQ(s.changeCount(), start + 1);

    s.moveTo(3, 3);
    s.line(20, 20, 30, 30, kWhite);
    s.fillRect(-5, -5, 0, 8, kWhite);
    s.line(std::nan(""), 1, 5, 1, kWhite);
    s.scaleWidth(0);
    s.point(1, 1, kWhite);
    s.fillRect(0, 0, 12, 8, kWhite);
    EXPECT_EQ(s.changeCount(), start + 1) << "nothing reached a pixel";
}

// Lines that leave the picture by its left or top edge going backwards: nothing wraps into the
// row before, nothing lands in front of the picture.
TEST(QImagePlotSurface, LinesRunningOutBackwardsStopAtTheEdge) {
    QImagePlotSurface s(12, 8);
    s.line(2, 5, -2, 5, kWhite);
    s.line(5, 1, 5, -2, kGreen);
    const std::string rows = art(s.image());
    EXPECT_EQ(rows.substr(1 + 5 * 13, 12), "WWW.........");
    EXPECT_EQ(rows.substr(1 + 4 * 13, 12), "............");
    EXPECT_EQ(rows.substr(1 + 0 * 13, 12), ".....G......");
    EXPECT_EQ(rows.substr(1 + 1 * 13, 12), ".....G......");
    EXPECT_EQ(rows.find('?'), std::string::npos);
}

// Every line between points on, inside and just outside a small picture (whole and half pixels)
// gives the pixels that the same line gives in the middle of a larger picture: a line that ends
// on an edge, or runs out of the picture, neither loses its pixels nor wraps into other rows.
TEST(QImagePlotSurface, LinesAtTheEdgesGiveThePixelsOfTheSameLinesInALargerPicture) {
    constexpr int kWidth = 6, kHeight = 5, kMargin = 4;
    QImagePlotSurface small(kWidth, kHeight), large(kWidth + 2 * kMargin, kHeight + 2 * kMargin);
    std::vector<double> xs, ys;
    for (double v = -2; v <= kWidth + 2; v += 0.5)
        xs.push_back(v);
    for (double v = -2; v <= kHeight + 2; v += 0.5)
        ys.push_back(v);
    int checked = 0;
    for (double x1 : xs)
        for (double y1 : ys)
            for (double x2 : xs)
                for (double y2 : ys) {
                    small.clear();
                    large.clear();
                    small.line(x1, y1, x2, y2, kWhite);
                    large.line(x1 + kMargin, y1 + kMargin, x2 + kMargin, y2 + kMargin, kWhite);
                    const QImage cut = large.image().copy(kMargin, kMargin, kWidth, kHeight);
                    ASSERT_EQ(art(small.image()), art(cut))
                        << "line (" << x1 << ", " << y1 << ") to (" << x2 << ", " << y2 << ")";
                    ++checked;
                }
    EXPECT_EQ(checked, 21 * 19 * 21 * 19);
}

TEST(QImagePlotSurface, TheWaveformPlotEndsInsideItsFrame) {
    QImagePlotSurface picture(300, 100);
    picture.backColor(rgb(0, 64, 0));
    clsDraw draw;
    draw.DrawAmplitudes(lctune::test::sine(441, 88200, 30000, 5120), picture);
    const QImage& image = picture.image();
    for (int y = 0; y < 100; ++y)
        ASSERT_EQ(image.pixel(299, y), qRgb(0, 0, 0)) << "right edge of the frame at row " << y;
    for (int x = 0; x < 300; ++x)
        ASSERT_EQ(image.pixel(x, 99), qRgb(0, 0, 0)) << "bottom edge of the frame at column " << x;
    EXPECT_EQ(image.pixel(298, 50), qRgb(192, 255, 192)) << "the wave runs up to the frame";
}

TEST(PictureBox, RepaintsOnlyWhenItsSurfaceChangedSinceTheLastPaint) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    PictureBox box(40, 20);
    box.installEventFilter(&counter);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QTest::qWait(20);
    const int shown = counter.paints;

    box.refresh();
    box.surface().moveTo(3, 3);
    box.refresh();
    QTest::qWait(20);
    EXPECT_EQ(counter.paints, shown) << "nothing was drawn";

    box.surface().fillRect(0, 0, 10, 10, kRed);
    box.surface().line(0, 15, 40, 15, kGreen);
    box.refresh();
    box.refresh();
    QTest::qWait(20);
    EXPECT_EQ(counter.paints, shown + 1);
    box.refresh();
    QTest::qWait(20);
    EXPECT_EQ(counter.paints, shown + 1) << "already shown";

    const QImage seen = box.grab().toImage();
    EXPECT_EQ(seen.pixel(5, 5), qRgb(255, 0, 0));
    EXPECT_EQ(seen.pixel(39, 15), qRgb(0, 255, 0));
}

// Many samples a pixel, as the tuner's waveform plot draws them: the chains of short lines within
// one column give exactly the pixels the lines give one by one, whatever comes in between.
TEST(QImagePlotSurface, AChainOfLinesInOneColumnGivesTheSamePixelsAsLineByLine) {
    QImagePlotSurface chained(60, 40), single(60, 40);
    for (QImagePlotSurface* s : {&chained, &single}) {
        s->clear();
        s->scaleWidth(600); // ten samples a pixel
        s->scaleHeight(65536);
    }
    const std::vector<int16_t> wave = lctune::test::sine(1300, 88200, 30000, 600);
    double previous = 32768;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double y = 32768 - wave[i];
        const uint32_t colour = i % 97 == 0 ? kYellow : kGreen; // other colours break the chains
        for (QImagePlotSurface* s : {&chained, &single}) {
            s->line(static_cast<double>(i), previous, static_cast<double>(i) + 1, y, colour);
            if (i % 131 == 0) s->line(static_cast<double>(i), 0, static_cast<double>(i), 65536, kRed);
        }
        (void)single.image(); // draws what it has so far: nothing is gathered across lines
        previous = y;
    }
    EXPECT_EQ(art(chained.image()), art(single.image()));
    EXPECT_NE(art(chained.image()).find('G'), std::string::npos);
}

TEST(QImagePlotSurface, APolylineDrawsWhatItsLinesDrawOneByOne) {
    // Steps within a column, across columns, off the picture and back, at both scales.
    std::vector<PlotPoint> points;
    for (int i = 0; i <= 240; ++i)
        points.push_back(PlotPoint{i * 0.3 - 4, 20 + 26 * std::sin(i / 7.0)});
    for (int scale : {1, 2}) {
        QImagePlotSurface chain(60, 40, scale), lines(60, 40, scale);
        chain.polyline(points, kGreen);
        chain.lineTo(30, 0); // the chain's last point is the current point
        for (size_t k = 1; k < points.size(); ++k)
            lines.line(points[k - 1].x, points[k - 1].y, points[k].x, points[k].y, kGreen);
        lines.lineTo(30, 0);
        EXPECT_EQ(art(chain.image()), art(lines.image())) << "scale " << scale;
        EXPECT_NE(art(chain.image()).find('G'), std::string::npos);
    }
}

TEST(PictureBox, ThePicturePaintedAgainUnchangedIsNotRepaintedAndAChangeOnlyWhereItChanged) {
    struct PaintCounter : QObject {
        QRegion painted;
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint)
                ++paints, painted += static_cast<QPaintEvent*>(event)->region();
            return false;
        }
    } counter;
    PictureBox box(40, 20);
    box.installEventFilter(&counter);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.surface().fillRect(0, 0, 40, 20, kRed);
    box.refresh();
    QTest::qWait(20);
    const int shown = counter.paints;
    box.surface().clear();
    box.surface().fillRect(0, 0, 40, 20, kRed); // the same picture again
    box.refresh();
    QTest::qWait(20);
    EXPECT_EQ(counter.paints, shown);

    counter.painted = QRegion();
    box.surface().point(30, 5, kGreen);
    box.refresh();
    QTest::qWait(20);
    EXPECT_EQ(counter.paints, shown + 1);
    EXPECT_EQ(counter.painted.boundingRect(), QRect(30, 5, 1, 1));
}
