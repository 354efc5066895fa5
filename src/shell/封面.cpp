#include "shell/封面.h"

#include "core/Colors.h"
#include "platform/HandlerGuard.h"
#include "platform/ScreenMetrics.h"
#include "platform/qt/BackgroundDrag.h"
#include "shell/Program.h"
#include "shell/作品动画窗.h"
#include "shell/公用参数.h"
#include "widgets/Emblem.h"
#include "widgets/LCButton.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QTimer>

#include <filesystem>

namespace lctune {

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 260;

QLabel* text(QWidget* parent, const QString& content, const QRect& at, const QColor& colour, int pixels,
             bool bold) {
    auto* l = new QLabel(content, parent);
    l->setGeometry(at);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    QFont f = l->font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

} // namespace

封面::封面(ProgramServices& services, InstanceLock& instanceLock)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), services_(services),
      instanceLock_(instanceLock) {
    setWindowTitle(QString::fromUtf8("岚川调音器"));
    setFixedSize(kWidth, kHeight);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    setPalette(palette);
    setAutoFillBackground(true);
    QPainterPath card;
    card.addRoundedRect(QRectF(0, 0, kWidth, kHeight), 18, 18);
    setMask(QRegion(card.toFillPolygon().toPolygon()));

    text(this, QString::fromUtf8("岚川调音器"), QRect(32, 52, 360, 64), Qt::white, 48, false);
    text(this, QString::fromUtf8("听音 · 辨音 · 调音 · 录音"), QRect(36, 120, 360, 24), QColor(210, 240, 240),
         16, false);
    版本名称 = text(this, QString(), QRect(36, 160, 300, 24), QColor(255, 40, 40), 16, false);
    auto* emblem = new QLabel(this);
    emblem->setGeometry(300, 96, 96, 96);
    emblem->setPixmap(studioEmblem(96, 96, devicePixelRatioF()));
    webAddress =
        text(this, QString::fromUtf8("岚川工作室 · 作品一览"), QRect(36, 210, 300, 22), Qt::white, 14, false);
    webAddress->setCursor(Qt::PointingHandCursor);
    webAddress->installEventFilter(this);
    退出 = new LCButton(this);
    退出->setGeometry(kWidth - 46, 14, 30, 26);
    退出->Caption("X");
    退出->按键色(rgb(255, 0, 0));
    退出->标题色(rgb(255, 255, 255));
    退出->setToolTip(QString::fromUtf8("关闭《岚川录音棚》"));
    退出->Click.connect([this] { 退出_Click(); });

    program_ = std::make_unique<Program>(services_);
    program_->coverHandle = [this] { return winId(); };
    program_->coverVersionLabel = [this] { return 版本名称->text().toStdString(); };
    program_->placeWorksWindow = [this](const QRect& geometry) { showWorksWindow(geometry); };
}

封面::~封面() {
    works_.reset();
    program_.reset();
}

bool 封面::load() {
    if (!instanceLock_.tryLock()) {
        services_.messageBoxes.notice(kApplicationTitle, kAlreadyOpen);
        return false;
    }
    program_->loadWindows();
    // A count that is not a number counts as no earlier run.
    runCount_ =
        static_cast<int32_t>(services_.settings.readInteger(kStudioApplication, "参数", "运行次数", 0));
    services_.settings.write(kStudioApplication, "参数", "运行次数", std::to_string(int64_t{runCount_} + 1));
    // Settings that cannot be saved are no reason to stop; the user learns it once, now.
    if (!services_.settings.sync())
        services_.messageBoxes.warning(kApplicationTitle, "设置无法保存到 " + services_.settings.where() +
                                                              "：本次运行的设置不会留下。");
    if (runCount_ == 0) askFirstRunQuestions();
    版本名称->setText(QString::fromStdString(Program::versionText()));
    publishProgramFolder();
    公用参数::measureSpeed(services_.flags);
    centre();
    return true;
}

void 封面::askFirstRunQuestions() {
    const std::string documents = services_.programFolder + "/LCTUNE/";
    if (services_.messageBoxes.askYesNo(kApplicationTitle, kAskManual))
        services_.shell.open(documents + "LCTUNE.htm");
    if (services_.messageBoxes.askYesNo(kApplicationTitle, kAskWebSite))
        services_.shell.open(documents + "ZuoPin/ZupPinDongHua.htm");
}

// The companion program learns where this one runs, unless a project file of the program's
// sources lies beside it.
void 封面::publishProgramFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::directory_iterator it(services_.programFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->path().extension() == ".vbp") return;
    }
    services_.settings.write(kStudioApplication, "录音棚衔接参数", "运行的目录", services_.programFolder);
}

void 封面::centre() {
    const ScreenMetrics& m = ScreenMetrics::current();
    move(
        static_cast<int>((m.screenWidthTwips() - width() * m.twipsPerPixelX()) / 2.0 / m.twipsPerPixelX()),
        static_cast<int>((m.screenHeightTwips() - height() * m.twipsPerPixelY()) / 2.0 / m.twipsPerPixelY()));
}

void 封面::handOver() {
    if (handedOver_) return;
    handedOver_ = true;
    公用参数::waitSeconds(handOverSeconds, services_.loop);
    hide();
    program_->showTuner();
    program_->recordingBox();
}

void 封面::退出_Click() {
    guarded(services_.messageBoxes, [this] { program_->exitSequence(); });
}

void 封面::showWorksWindow(const QRect& geometry) {
    if (!works_) {
        works_ = std::make_unique<作品动画窗>(services_.programFolder);
        works_->setAttribute(Qt::WA_ShowWithoutActivating);
        works_->setGeometry(geometry);
        works_->load();
        return;
    }
    works_->setGeometry(geometry);
    works_->show();
}

// The hand-over starts at the first activation; a desktop without a window manager never
// activates a window by itself, so being shown counts as well.
bool 封面::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate || e->type() == QEvent::Show) {
        const bool handled = QWidget::event(e);
        if (!handedOver_)
            QTimer::singleShot(0, this, [this] { guarded(services_.messageBoxes, [this] { handOver(); }); });
        return handled;
    }
    return QWidget::event(e);
}

bool 封面::eventFilter(QObject* watched, QEvent* e) {
    if (watched == webAddress && e->type() == QEvent::MouseButtonRelease) {
        services_.shell.open(services_.programFolder + "/LCTUNE/ZuoPin/ZupPinDongHua.htm");
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void 封面::mousePressEvent(QMouseEvent* e) {
    drag_.press(*this, *e);
    QWidget::mousePressEvent(e);
}

void 封面::mouseMoveEvent(QMouseEvent* e) {
    drag_.move(*this, *e);
    QWidget::mouseMoveEvent(e);
}

} // namespace lctune
