// lctune-widgets: a gallery of the self-drawn widgets in their states, for looking at them.
//
//   lctune-widgets [--screenshot FILE.png] [--scale 1|2]
//
// With --screenshot the gallery renders without a display (offscreen), writes the PNG and exits;
// --scale 2 renders it at a device pixel ratio of 2. Exit status 2 on bad arguments, 1 when the
// picture cannot be written.

#include "core/Colors.h"
#include "tools/ToolOptions.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/圆电位器.h"
#include "widgets/垂直进度条.h"
#include "widgets/复选框控件.h"
#include "widgets/小圆按钮.h"
#include "widgets/框架.h"
#include "widgets/水平进度条.h"
#include "widgets/电平表.h"
#include "widgets/直滑电位器.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace lctune;

namespace {

constexpr uint32_t kIconKey = rgb(0, 0, 254);

void runFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Small icons on the icon key colour, drawn with hard edges so the key stays exact.
QImage makeIcon(int kind) {
    QImage icon(16, 16, QImage::Format_RGB32);
    icon.fill(QColor(0, 0, 254));
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    switch (kind) {
    case 0: // record
        p.setBrush(QColor(210, 20, 20));
        p.drawEllipse(QRect(2, 2, 11, 11));
        break;
    case 1: // stop
        p.setBrush(QColor(40, 40, 40));
        p.drawRect(QRect(3, 3, 10, 10));
        break;
    case 2: { // play
        p.setBrush(QColor(20, 120, 30));
        QPolygon triangle;
        triangle << QPoint(4, 2) << QPoint(13, 8) << QPoint(4, 14);
        p.drawPolygon(triangle);
        break;
    }
    case 3: // note
        p.setBrush(QColor(30, 30, 90));
        p.drawEllipse(QRect(2, 9, 7, 6));
        p.drawRect(QRect(7, 1, 2, 11));
        p.drawRect(QRect(8, 1, 5, 2));
        break;
    default: // gear-like dot ring
        p.setBrush(QColor(90, 60, 10));
        p.drawEllipse(QRect(2, 2, 12, 12));
        p.setBrush(QColor(0, 0, 254));
        p.drawEllipse(QRect(5, 5, 6, 6));
        break;
    }
    return icon;
}

class Gallery : public QWidget {
public:
    explicit Gallery(bool snapshots) : snapshots_(snapshots) {
        setWindowTitle(QString::fromUtf8("岚川控件一览"));
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, QColor(222, 226, 230));
        setPalette(palette);
        setAutoFillBackground(true);
        resize(1220, 1010);
        buildButtons();
        buildRoundButtons();
        buildCheckBoxes();
        buildBars();
        buildMeters();
        buildPotentiometers();
        buildFrames();
    }

    /// Turns the samples that need a pointer, a press or the focus into pictures of that state.
    void takeSnapshots() {
        hide();
        for (auto& shot : shots_)
            shot();
        QCursor::setPos(QPoint(-1000, -1000));
        show();
        runFor(50);
        if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
        runFor(20);
        runFor(150);
    }

private:
    QLabel* caption(const char* text, int x, int y, int width = 110) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setGeometry(x, y, width, 18);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(50, 54, 60));
        label->setPalette(palette);
        return label;
    }

    void heading(const char* text, int y, int x = 16) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        QFont font = label->font();
        font.setPixelSize(15);
        font.setBold(true);
        label->setFont(font);
        label->setGeometry(x, y, 600, 22);
    }

    // Replaces a live widget by a picture of it taken in the state that `prepare` puts it in. The
    // pointer cannot leave the small offscreen screen, so each sample is staged alone in a window
    // at the screen's corner while the gallery is hidden.
    void snapshot(QWidget* widget, std::function<void()> prepare, std::function<void()> finish = {}) {
        if (!snapshots_) return;
        shots_.push_back([this, widget, prepare, finish] {
            const QRect place = widget->geometry();
            QWidget stage;
            stage.setPalette(palette());
            stage.setAutoFillBackground(true);
            stage.setGeometry(0, 0, place.width() + 40, place.height() + 40);
            widget->setParent(&stage);
            widget->move(20, 20);
            stage.show();
            widget->show();
            runFor(30);
            if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
            prepare();
            runFor(160);
            const QPixmap picture = widget->grab();
            if (finish) finish();
            widget->setParent(this);
            widget->hide();
            auto* still = new QLabel(this);
            still->setPixmap(picture);
            still->setGeometry(place);
            still->show();
        });
    }

    static void pointAt(QWidget* widget) {
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        QCursor::setPos(centre - QPoint(2, 0));
        QApplication::processEvents();
        QCursor::setPos(centre);
        QApplication::processEvents();
    }

    void hoverShot(QWidget* widget) {
        snapshot(widget, [widget] { pointAt(widget); });
    }

    void pressShot(QWidget* widget) {
        snapshot(
            widget,
            [widget] {
                pointAt(widget);
                const QPointF at = widget->rect().center();
                QMouseEvent down(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), Qt::LeftButton,
                                 Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(widget, &down);
            },
            [widget] {
                const QPointF away(-500, -500);
                QMouseEvent up(QEvent::MouseButtonRelease, away, widget->mapToGlobal(away), Qt::LeftButton,
                               Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(widget, &up);
            });
    }

    void focusShot(QWidget* widget) {
        snapshot(
            widget, [widget] { widget->setFocus(Qt::TabFocusReason); }, [widget] { widget->clearFocus(); });
    }

    LCButton* button(const char* text, int x, int y, int w = 96, int h = 28) {
        auto* b = new LCButton(this);
        b->setGeometry(x, y, w, h);
        b->Caption(text);
        return b;
    }

    void buildButtons() {
        heading("按钮 LCButton", 10);
        const int y = 38;
        button("开始", 16, y);
        caption("正常", 16, y + 32, 96);
        hoverShot(button("开始", 126, y));
        caption("悬停", 126, y + 32, 96);
        pressShot(button("开始", 236, y));
        caption("按下", 236, y + 32, 96);
        focusShot(button("开始", 346, y));
        caption("聚焦", 346, y + 32, 96);
        button("开始", 456, y)->Enabled(false);
        caption("失效", 456, y + 32, 96);
        auto* red = button("录音", 566, y);
        red->按键色(rgb(176, 32, 32));
        red->标题色(rgb(255, 255, 255));
        caption("红色", 566, y + 32, 96);
        auto* blue = button("播放", 676, y);
        blue->按键色(rgb(40, 80, 170));
        blue->标题色(rgb(255, 255, 255));
        caption("蓝色", 676, y + 32, 96);
        auto* flat = button("工具", 786, y, 80);
        flat->工具棒(true);
        caption("工具棒", 786, y + 32, 80);
        auto* flatHover = button("工具", 876, y, 80);
        flatHover->工具棒(true);
        hoverShot(flatHover);
        caption("工具棒悬停", 866, y + 32, 100);

        const int y2 = 92;
        const char* places[] = {"图标在上", "图标在顶", "图标在下", "图标在左", "图标在右"};
        const char* texts[] = {"录音", "停止", "播放", "调音", "设置"};
        for (int i = 0; i < 5; ++i) {
            const bool vertical = i < 3;
            auto* b = button(texts[i], 16 + i * 118, y2, 108, vertical ? 52 : 30);
            b->Picture(makeIcon(i));
            b->图片位置(i);
            caption(places[i], 16 + i * 118, y2 + 56, 108);
        }
    }

    小圆按钮* roundButton(const char* text, int x, int y) {
        auto* b = new 小圆按钮(this);
        b->setGeometry(x, y, 64, 60);
        b->Caption(text);
        b->图片位置(0);
        return b;
    }

    void buildRoundButtons() {
        heading("小圆按钮", 172);
        const int y = 198;
        roundButton("录音", 16, y)->Picture(makeIcon(0));
        caption("正常", 16, y + 62, 64);
        auto* hovered = roundButton("录音", 96, y);
        hovered->Picture(makeIcon(0));
        hovered->setFocus();
        hoverShot(hovered);
        caption("悬停", 96, y + 62, 64);
        auto* pressed = roundButton("录音", 176, y);
        pressed->Picture(makeIcon(0));
        pressShot(pressed);
        caption("按下", 176, y + 62, 64);
        auto* focused = roundButton("退出", 256, y);
        focusShot(focused);
        caption("聚焦", 256, y + 62, 64);
        roundButton("退出", 336, y)->Enabled(false);
        caption("失效", 336, y + 62, 64);
    }

    复选框控件* checkBox(const char* text, int x, int y, int value) {
        auto* c = new 复选框控件(this);
        c->setGeometry(x, y, 120, 20);
        c->Caption(text);
        c->BackColor(rgb(222, 226, 230));
        c->Value(value);
        return c;
    }

    void buildCheckBoxes() {
        heading("复选框控件", 172, 440);
        const int x0 = 440, y = 198;
        checkBox("未选中", x0, y, 0);
        checkBox("选中", x0 + 130, y, 1);
        checkBox("灰色选中", x0 + 260, y, 2);
        hoverShot(checkBox("悬停未选", x0 + 390, y, 0));
        hoverShot(checkBox("悬停选中", x0 + 520, y, 1));
        auto* focused = checkBox("聚焦", x0, y + 28, 1);
        // The box shows its focus ring from its next drawing on.
        snapshot(
            focused,
            [focused] {
                focused->setFocus(Qt::TabFocusReason);
                focused->Caption(focused->Caption());
            },
            [focused] { focused->clearFocus(); });
        checkBox("失效未选", x0 + 130, y + 28, 0)->Enabled(false);
        checkBox("失效选中", x0 + 260, y + 28, 1)->Enabled(false);
        checkBox("失效灰色", x0 + 390, y + 28, 2)->Enabled(false);
    }

    void buildBars() {
        heading("可调水平进度条", 284);
        const int y = 312;
        const char* names[] = {"最小值", "中间", "最大值"};
        const float values[] = {0, 50, 100};
        for (int i = 0; i < 3; ++i) {
            auto* bar = new 可调水平进度条(this);
            bar->setGeometryTwips((16 + i * 250) * 15.0, y * 15.0, 3600, 285);
            bar->Value(values[i]);
            caption(names[i], 16 + i * 250, y + 22, 240);
        }
        auto* green = new 可调水平进度条(this);
        green->setGeometryTwips(766 * 15.0, y * 15.0, 3600, 285);
        green->进度条色(rgb(0, 160, 70));
        green->背景色(rgb(0, 96, 96));
        green->Value(30);
        caption("绿色", 766, y + 22, 240);

        heading("垂直进度条 / 水平进度条", 362);
        const int32_t plain[] = {0, 16384, 32767};
        for (int i = 0; i < 3; ++i) {
            auto* v = new 垂直进度条(this);
            v->setGeometryTwips((24 + i * 20) * 15.0, 392 * 15.0, 45, 1200);
            v->Value(plain[i]);
            auto* h = new 水平进度条(this);
            h->setGeometryTwips(100 * 15.0, (396 + i * 14) * 15.0, 2400, 45);
            h->Value(plain[i]);
        }
        caption("最小 / 中间 / 最大", 10, 476, 90);
    }

    void buildMeters() {
        heading("电平表", 500);
        const int values[] = {-20, 0, 20};
        const char* names[] = {"−20", "0", "+20"};
        for (int i = 0; i < 3; ++i) {
            auto* meter = new 电平表(this);
            meter->move(16 + i * 318, 528);
            meter->Value(static_cast<float>(values[i]));
            caption(names[i], 16 + i * 318, 836, 303);
        }
    }

    void buildPotentiometers() {
        heading("直滑电位器 / 圆电位器", 250, 1010);
        const int x0 = 1030, y = 300;
        auto* title = new QLabel(QString::fromUtf8("均衡器"), this);
        title->setGeometry(x0, y - 22, 180, 18);
        const float values[] = {100, 75, 50, 25, 0, 60};
        for (int i = 0; i < 6; ++i) {
            auto* fader = new 直滑电位器(this);
            fader->move(x0 + i * 30, y);
            fader->Value(values[i]);
            if (i == 5) hoverShot(fader);
        }
        caption("最大 … 最小 / 悬停", x0, y + 138, 180);

        const float knobs[] = {0, 50, 100};
        for (int i = 0; i < 3; ++i) {
            auto* knob = new 圆电位器(this);
            knob->move(x0 + i * 58, y + 170);
            knob->Value(knobs[i]);
        }
        auto* hot = new 圆电位器(this);
        hot->move(x0 + 58, y + 236);
        hot->Value(75);
        hoverShot(hot);
        caption("最小 / 中间 / 最大 / 悬停", x0 - 10, y + 298, 200);
    }

    void buildFrames() {
        heading("框架", 862);
        const uint32_t colours[] = {rgb(0, 128, 128), rgb(0, 64, 64)};
        const char* names[] = {"调音窗 RGB(0,128,128)", "录音框 RGB(0,64,64)"};
        for (int i = 0; i < 2; ++i) {
            auto* frame = new 框架(this);
            frame->setGeometryTwips((16 + i * 260) * 15.0, 888 * 15.0, 3600, 1350);
            frame->上边框宽度(30);
            frame->下边框宽度(30);
            frame->左边框宽度(30);
            frame->右边框宽度(30);
            frame->边框色(colours[i]);
            caption(names[i], 16 + i * 260, 982, 240);
        }
    }

    bool snapshots_;
    std::vector<std::function<void()>> shots_;
};

} // namespace

int main(int argc, char** argv) {
    OptionParser options("lctune-widgets", argc, argv);
    std::string screenshot;
    int32_t scale = 1;
    while (options.next()) {
        if (options.name() == "--screenshot") {
            options.stringValue(screenshot);
        } else if (options.name() == "--scale") {
            options.intValue(1, 2, scale);
        } else {
            return options.fail("unknown argument " + options.name());
        }
    }
    if (options.failed()) return options.fail();
    if (!screenshot.empty() && std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (scale == 2) setenv("QT_SCALE_FACTOR", "2", 1);

    QApplication app(argc, argv);
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(12);
    QApplication::setFont(font);

    Gallery gallery(!screenshot.empty());
    gallery.show();
    runFor(100);
    if (screenshot.empty()) return QApplication::exec();

    gallery.takeSnapshots();
    const QImage picture = gallery.grab().toImage();
    if (!picture.save(QString::fromStdString(screenshot))) {
        std::fprintf(stderr, "lctune-widgets: cannot write %s\n", screenshot.c_str());
        return 1;
    }
    return 0;
}
