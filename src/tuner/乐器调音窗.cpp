#include "tuner/乐器调音窗.h"

#include "core/Colors.h"
#include "core/Numbers.h"
#include "platform/HandlerGuard.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/PictureBox.h"
#include "widgets/Emblem.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/复选框控件.h"
#include "widgets/小圆按钮.h"
#include "widgets/框架.h"
#include "widgets/电平表.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QMouseEvent>

namespace lctune {

namespace {

// Colours of the window: a teal family behind everything, plots on dark grounds.
constexpr uint32_t kTeal = rgb(0, 128, 128);
constexpr uint32_t kDeepTeal = rgb(0, 96, 96);
constexpr uint32_t kPlotGround = rgb(12, 20, 28);
constexpr uint32_t kStandardGround = rgb(246, 242, 228);
constexpr uint32_t kStandardText = rgb(0, 128, 0);
constexpr uint32_t kWhite = rgb(255, 255, 255);
constexpr uint32_t kBlack = rgb(0, 0, 0);

// Geometry in logical pixels, top to bottom.
constexpr int kWindowWidth = 980;
constexpr int kWindowHeight = 742;
constexpr QRect kDisplayFrame{8, 8, 964, 330};
constexpr QRect kNote{22, 22, 600, 150};
constexpr QRect kMeasured{22, 176, 600, 46};
constexpr QRect kStandard{22, 226, 600, 52};
constexpr int kStatusY = 290;
constexpr QPoint kNeedle{652, 20};
constexpr int kLevelY = 346;
constexpr int kPlotsY = 388;
constexpr int kPlotHeight = 110;
constexpr int kFramesY = 508;
constexpr int kFramesHeight = 190;
constexpr int kLinksY = 706;

QColor colour(uint32_t packed) {
    return QColor(static_cast<int>(redOf(packed)), static_cast<int>(greenOf(packed)),
                  static_cast<int>(blueOf(packed)));
}

void paintGround(QWidget* w, uint32_t ground) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour(ground));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

void paintText(QWidget* w, uint32_t text) {
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour(text));
    w->setPalette(p);
}

// A bevel of six-pixel strips, in the window's deeper teal.
void thinBevel(框架* frame) {
    frame->上边框宽度(90);
    frame->下边框宽度(90);
    frame->左边框宽度(90);
    frame->右边框宽度(90);
    frame->边框色(kDeepTeal);
}

// The plain frames: a thin light border with the title on it.
void plainFrame(QGroupBox* box) {
    box->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid rgba(255,255,255,70); border-radius: 4px;"
                       " margin-top: 10px; color: white; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }"));
}

QFont sizedFont(const QFont& base, int pixels, bool bold) {
    QFont f = base;
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLabel* label(QWidget* parent, const char* text, const QRect& at, uint32_t textColour = kWhite) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(at);
    paintText(l, textColour);
    return l;
}

} // namespace

// The detector controls as the analysis reads them: the bars' values and the check boxes.
class 乐器调音窗::Settings final : public TunerSettingsView {
public:
    explicit Settings(乐器调音窗& w) : w_(w) {}
    int32_t 多少帧显示一次() const override { return roundToInt32(w_.多少帧显示一次->Value()); }
    int32_t 锁定音量百分值() const override { return roundToInt32(w_.锁定音量百分值->Value()); }
    int32_t 施密特百分比() const override { return roundToInt32(w_.施密特百分比->Value()); }
    int32_t 滤波系数调节() const override { return roundToInt32(w_.滤波系数调节->Value()); }
    bool 滤波() const override { return w_.滤波->Value() == 1; }
    bool 放大() const override { return w_.放大->Value() == 1; }
    bool 连续() const override { return w_.连续->Value() == 1; }

private:
    乐器调音窗& w_;
};

乐器调音窗::乐器调音窗(ProgramServices& services, TunerWindowLinks& links)
    : QWidget(nullptr, Qt::Window), services_(services), links_(links) {
    setWindowTitle(QString::fromUtf8("岚川辨音器"));
    setFixedSize(kWindowWidth, kWindowHeight);
    paintGround(this, kTeal);
    setMouseTracking(true);
    QFont base = font();
    base.setPixelSize(13);
    setFont(base);

    buildDisplays();
    buildPlots();
    buildDetectorFrame();
    buildSourceFrame();
    buildButtonsAndLinks();

    settings_ = std::make_unique<Settings>(*this);
    analysis_ = std::make_unique<TunerAnalysis>(*settings_, Picture2->surface(), services_.flags);
    showDisplays();
    connectControls();

    // Load: one channel for the analysis, no automatic level control, and a place that leaves
    // room for the works window underneath.
    links_.setStereoAndAutoLevel(0, 0);
    centre();
}

乐器调音窗::~乐器调音窗() = default;

void 乐器调音窗::buildDisplays() {
    框架1 = new 框架(this);
    框架1->setGeometry(kDisplayFrame);
    thinBevel(框架1);

    音符 = label(this, "A  (6)", kNote);
    音符->setFont(sizedFont(font(), 84, true));
    音符->setAlignment(Qt::AlignCenter);
    频率值 = label(this, "440HZ", kMeasured);
    频率值->setFont(sizedFont(font(), 30, true));
    频率值->setAlignment(Qt::AlignCenter);

    auto* standardGround = new QWidget(this);
    standardGround->setGeometry(kStandard);
    paintGround(standardGround, kStandardGround);
    label(standardGround, "标准频率", QRect(12, 0, 120, kStandard.height()), rgb(90, 90, 80));
    // The shadow lies 60 twips (4 pixels) under the green text.
    频率阴影 = label(standardGround, "440HZ", QRect(0, 4, kStandard.width(), kStandard.height() - 4), kBlack);
    标准频率 =
        label(standardGround, "440HZ", QRect(0, 0, kStandard.width(), kStandard.height() - 4), kStandardText);
    for (QLabel* l : {频率阴影, 标准频率}) {
        l->setFont(sizedFont(font(), 30, true));
        l->setAlignment(Qt::AlignCenter);
    }

    提示 = label(this, "分析中！", QRect(22, kStatusY, 210, 30));
    统计次数label = label(this, "统计次数label", QRect(240, kStatusY, 130, 30));
    放大系数显示 = label(this, "放大系数显示", QRect(378, kStatusY, 150, 30));
    放大器DB值 = label(this, "0dB", QRect(536, kStatusY, 86, 30));
    提示->setFont(sizedFont(font(), 16, false));
    // Opaque, so that a changed count or gain repaints the label alone, not the frame behind it.
    for (QLabel* l : {提示, 统计次数label, 放大系数显示, 放大器DB值})
        paintGround(l, kTeal);
    for (QLabel* l : {统计次数label, 放大系数显示, 放大器DB值})
        l->setToolTip(QString::fromUtf8(l == 统计次数label  ? "统计次数"
                                        : l == 放大系数显示 ? "放大系数"
                                                            : "放大器"));

    电平表1 = new 电平表(this);
    电平表1->move(kNeedle);
}

void 乐器调音窗::buildPlots() {
    label(this, "左:", QRect(12, kLevelY, 24, 20));
    picVUL = new PictureBox(428, 14, kPlotGround, this);
    picVUL->move(36, kLevelY + 3);
    label(this, "右:", QRect(496, kLevelY, 24, 20));
    picVUR = new PictureBox(428, 14, kPlotGround, this);
    picVUR->move(520, kLevelY + 3);

    label(this, "波形分析：", QRect(12, kPlotsY - 22, 120, 20));
    Picture2 = new PictureBox(440, kPlotHeight, kPlotGround, this);
    Picture2->move(12, kPlotsY);
    label(this, "波形", QRect(462, kPlotsY - 22, 120, 20));
    picAmpl = new PictureBox(250, kPlotHeight, kPlotGround, this);
    picAmpl->move(462, kPlotsY);
    label(this, "频谱", QRect(722, kPlotsY - 22, 120, 20));
    picFreq = new PictureBox(250, kPlotHeight, kPlotGround, this);
    picFreq->move(722, kPlotsY);
}

void 乐器调音窗::buildDetectorFrame() {
    Frame1 = new QGroupBox(QString::fromUtf8("参数设置："), this);
    Frame1->setGeometry(8, kFramesY, 486, kFramesHeight);
    plainFrame(Frame1);
    struct Row {
        const char* caption;
        可调水平进度条** bar;
        double min, max, value;
    };
    const Row rows[] = {{"滤波系数:", &滤波系数调节, 1, 100, 50},
                        {"多少帧显示一次:", &多少帧显示一次, 1, 25, 1},
                        {"施密特百分比:", &施密特百分比, 0, 100, 66},
                        {"锁定音量百分值:", &锁定音量百分值, 1, 100, 20}};
    int y = 28;
    for (const Row& row : rows) {
        label(Frame1, row.caption, QRect(12, y, 130, 20));
        auto* bar = new 可调水平进度条(Frame1);
        bar->setGeometry(146, y, 326, 19);
        bar->Min(row.min);
        bar->max(row.max);
        bar->Value(static_cast<float>(row.value));
        *row.bar = bar;
        y += 34;
    }
    struct Check {
        const char* caption;
        复选框控件** box;
        int32_t value;
    };
    const Check checks[] = {{"滤波", &滤波, 1}, {"放大", &放大, 1}, {"连续", &连续, 0}};
    int x = 12;
    for (const Check& c : checks) {
        auto* box = new 复选框控件(Frame1);
        box->setGeometry(x, y + 4, 90, 20);
        box->BackColor(kTeal);
        box->ForeColor(kWhite);
        box->Caption(c.caption);
        box->Value(c.value);
        *c.box = box;
        x += 100;
    }
}

void 乐器调音窗::buildSourceFrame() {
    Frame2 = new QGroupBox(QString::fromUtf8("信号源："), this);
    Frame2->setGeometry(502, kFramesY, 296, kFramesHeight);
    plainFrame(Frame2);
    label(Frame2, "音量:", QRect(12, 28, 50, 20));
    音量 = new 可调水平进度条(Frame2);
    音量->setGeometry(62, 28, 222, 19);
    音量->Min(0);
    音量->max(100);
    音量->Value(50);

    录音控制板 = new LCButton(Frame2);
    录音控制板->setGeometry(12, 62, 130, 28);
    录音控制板->Caption("录音控制板");
    播放控制板 = new LCButton(Frame2);
    播放控制板->setGeometry(154, 62, 130, 28);
    播放控制板->Caption("播放控制板");

    均衡设置 = new 小圆按钮(Frame2);
    均衡设置->setGeometry(12, 102, 76, 60);
    均衡设置->Caption("均衡设置");
    启用均衡 = new 复选框控件(Frame2);
    启用均衡->setGeometry(100, 104, 110, 20);
    启用均衡->BackColor(kTeal);
    启用均衡->ForeColor(kWhite);
    启用均衡->Caption("启用均衡");
    启用均衡->Value(0);
    picEQAmp = new PictureBox(184, 51, rgb(24, 31, 44), Frame2);
    picEQAmp->move(100, 128);
}

void 乐器调音窗::buildButtonsAndLinks() {
    框架3 = new 框架(this);
    框架3->setGeometry(806, kFramesY + 6, 166, kFramesHeight - 6);
    thinBevel(框架3);
    开始 = new LCButton(this);
    开始->setGeometry(822, kFramesY + 22, 134, 40);
    开始->Caption("开始");
    结束 = new LCButton(this);
    结束->setGeometry(822, kFramesY + 72, 134, 40);
    结束->Caption("结束");
    for (LCButton* b : {开始, 结束})
        b->setFont(sizedFont(font(), 17, false));
    Image1 = new QLabel(this);
    Image1->setGeometry(841, kFramesY + 120, 96, 64);
    Image1->setPixmap(studioEmblem(96, 64, devicePixelRatioF()));

    Frame4 = new QWidget(this);
    Frame4->setGeometry(8, kLinksY, 964, 28);
    paintGround(Frame4, kDeepTeal);
    Frame4->setMouseTracking(true);
    Frame4->installEventFilter(this);
    struct Link {
        QLabel** label;
        const char* text;
        int width;
    };
    const Link links[] = {{&岚川工作室, "岚川工作室", 110},
                          {&使用说明, "使用说明", 90},
                          {&岚川音乐软件包下载, "《岚川音乐软件包》下载", 200},
                          {&朗韵电子琴Label, "朗韵电子琴：弹得出韵味的电子琴", 250},
                          {&朗岳交响曲Label, "朗岳交响曲：一个人的交响乐团", 250}};
    int x = 12;
    for (const Link& link : links) {
        auto* l = label(Frame4, link.text, QRect(x, 4, link.width, 20));
        l->setCursor(Qt::PointingHandCursor);
        l->setMouseTracking(true);
        l->installEventFilter(this);
        *link.label = l;
        x += link.width + 10;
    }
    restLinkColours();
}

// The analysis writes its displays many times within one tick (a label per accepted period); the
// screen needs only what they hold when the tick ends, so they are copied then, and only those
// that changed.
void 乐器调音窗::showDisplays() {
    const TunerAnalysis& a = *analysis_;
    const std::pair<const Label*, QLabel*> labels[] = {{&a.提示, 提示},
                                                       {&a.放大系数显示, 放大系数显示},
                                                       {&a.统计次数label, 统计次数label},
                                                       {&a.频率值, 频率值},
                                                       {&a.音符, 音符},
                                                       {&a.标准频率, 标准频率},
                                                       {&a.频率阴影, 频率阴影}};
    for (size_t i = 0; i < std::size(labels); ++i) {
        const auto& [from, to] = labels[i];
        if (shownTexts_[i] != from->Text()) {
            shownTexts_[i] = from->Text();
            to->setText(QString::fromStdString(shownTexts_[i]));
        }
    }
    if (shownGrounds_[0] != a.音符.BackColor()) paintGround(音符, shownGrounds_[0] = a.音符.BackColor());
    if (shownGrounds_[1] != a.频率值.BackColor())
        paintGround(频率值, shownGrounds_[1] = a.频率值.BackColor());
    if (电平表1->Value() != static_cast<float>(a.电平表1.Value()))
        电平表1->Value(static_cast<float>(a.电平表1.Value()));
}

void 乐器调音窗::connectControls() {
    开始->Click.connect([this] { guarded(services_.messageBoxes, [this] { 开始_Click(); }); });
    结束->Click.connect([this] { guarded(services_.messageBoxes, [this] { 结束_Click(); }); });
    滤波->Click.connect([this] { links_.setEqualiserSwitch(滤波->Value()); });
    启用均衡->Click.connect([this] { services_.flags.eqEnabled = 启用均衡->Value() == 1; });
    音量->Change.connect([this] { 音量_Change(); });
    播放控制板->Click.connect([this] { startMixerViews(services_.shell, false); });
    录音控制板->Click.connect([this] { startMixerViews(services_.shell, true); });
    均衡设置->Click.connect([this] { links_.showRecordingWindow(); });
}

void 乐器调音窗::音量_Change() {
    links_.recorder().MixerLineVolume(roundToInt32(static_cast<double>(音量->Value()) * 655.35));
}

void 乐器调音窗::开始_Click() {
    services_.flags.tunerActive = true;
    if (!links_.recorder().IsRecording()) links_.pressRecordButton();
    links_.setEqualiserSwitch(滤波->Value());
}

void 乐器调音窗::结束_Click() {
    if (links_.recorder().IsRecording()) links_.pressRecordButton();
    services_.flags.tunerActive = false;
}

void 乐器调音窗::refreshDisplays() {
    showDisplays();
    analysis_->drawPlot();
    for (PictureBox* p : {picVUL, picVUR, picAmpl, picFreq, picEQAmp, Picture2})
        p->refresh();
}

// Top = (screen height − window height − 2800) / 2 and left = (screen width − window width) / 2,
// in twips, neither below 0: the 2800 twips below are the works window's.
void 乐器调音窗::centre() {
    const ScreenMetrics& m = ScreenMetrics::current();
    const double top = std::max(0.0, (m.screenHeightTwips() - height() * m.twipsPerPixelY() - 2800.0) / 2.0);
    const double left = std::max(0.0, (m.screenWidthTwips() - width() * m.twipsPerPixelX()) / 2.0);
    move(static_cast<int>(left / m.twipsPerPixelX()), static_cast<int>(top / m.twipsPerPixelY()));
}

void 乐器调音窗::activated() {
    ++activationCount_;
    setWindowTitle(QString::fromStdString("岚川辨音器   " + links_.versionLabel()));
    if (services_.flags.speedIndex > 1500) {
        const ScreenMetrics& m = ScreenMetrics::current();
        const QRect frame = frameGeometry();
        links_.showWorksWindow(QRect(frame.left(), frame.top() + frame.height(), frame.width(),
                                     static_cast<int>(std::lround(2800.0 / m.twipsPerPixelY()))));
    }
    services_.loop.processPending();
    if (activationCount_ == 1) 开始->Value(true);
}

bool 乐器调音窗::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        const bool handled = QWidget::event(e);
        guarded(services_.messageBoxes, [this] { activated(); });
        return handled;
    }
    return QWidget::event(e);
}

void 乐器调音窗::closeEvent(QCloseEvent* e) {
    if (closing_) {
        e->accept();
        return;
    }
    closing_ = true;
    guarded(services_.messageBoxes, [this] { 结束_Click(); });
    e->accept();
    links_.pressExit();
}

void 乐器调音窗::setLinkColour(QLabel* l, uint32_t c) {
    if (l->palette().color(QPalette::WindowText) != colour(c)) paintText(l, c);
}

void 乐器调音窗::restLinkColours() {
    setLinkColour(岚川工作室, kWhite);
    setLinkColour(使用说明, kWhite);
    for (QLabel* l : {岚川音乐软件包下载, 朗韵电子琴Label, 朗岳交响曲Label})
        setLinkColour(l, kBlack);
}

void 乐器调音窗::mouseMoveEvent(QMouseEvent* e) {
    restLinkColours();
    QWidget::mouseMoveEvent(e);
}

bool 乐器调音窗::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseMove || e->type() == QEvent::Enter) {
        if (watched == Frame4) {
            restLinkColours();
        } else if (auto* l = qobject_cast<QLabel*>(watched)) {
            setLinkColour(l, kLinkHover);
        }
    } else if (e->type() == QEvent::MouseButtonRelease && watched != Frame4) {
        if (auto* l = qobject_cast<QLabel*>(watched)) openLink(l);
    }
    return QWidget::eventFilter(watched, e);
}

// The manual and the works page lie in the program folder; the studio's other programs are
// described on the works page.
void 乐器调音窗::openLink(QLabel* l) {
    const std::string documents = services_.programFolder + "/LCTUNE/";
    if (l == 使用说明) {
        services_.shell.open(documents + "LCTUNE.htm");
        return;
    }
    std::string anchor;
    if (l == 岚川音乐软件包下载) anchor = "#bundle";
    if (l == 朗韵电子琴Label) anchor = "#langyun";
    if (l == 朗岳交响曲Label) anchor = "#langyue";
    services_.shell.open(documents + "ZuoPin/ZupPinDongHua.htm" + anchor);
}

} // namespace lctune
