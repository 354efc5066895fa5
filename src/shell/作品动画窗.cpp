#include "shell/作品动画窗.h"

#include "platform/ScreenMetrics.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include <cmath>

namespace lctune {

namespace {
constexpr int kAddressHeight = 26;
}

作品动画窗::作品动画窗(const std::string& programFolder)
    : QWidget(nullptr, Qt::Window), programFolder_(programFolder) {
    setWindowTitle(QString::fromUtf8("作品动画窗"));
    resize(980, 187);
    tbToolBar = new QToolBar(this);
    const char* buttons[][2] = {{"Back", "返回"},    {"Forward", "向前"}, {"Stop", "停止"},
                                {"Refresh", "刷新"}, {"Home", "主页"},    {"Search", "搜索"}};
    for (const auto& b : buttons) {
        QAction* action = tbToolBar->addAction(QString::fromUtf8(b[0]));
        action->setToolTip(QString::fromUtf8(b[1]));
    }
    cboAddress = new QComboBox(this);
    cboAddress->setEditable(true);
    cboAddress->setGeometry(0, 0, width(), kAddressHeight);
    brwWebBrowser = new QTextBrowser(this);
    brwWebBrowser->setOpenLinks(true);
    brwWebBrowser->setOpenExternalLinks(false);
    brwWebBrowser->setGeometry(0, kAddressHeight, width(), height() - kAddressHeight);
    brwWebBrowser->setFrameShape(QFrame::NoFrame);

    QObject::connect(cboAddress, qOverload<int>(&QComboBox::activated), this,
                     [this](int) { navigate(cboAddress->currentText()); });
    QObject::connect(cboAddress->lineEdit(), &QLineEdit::returnPressed, this,
                     [this] { navigate(cboAddress->currentText()); });
    // The page is there: its title becomes the caption once the loop runs again, as a browser
    // reports a finished download after the navigation call has returned.
    QObject::connect(brwWebBrowser, &QTextBrowser::sourceChanged, this, [this](const QUrl&) {
        QTimer::singleShot(0, this, [this] {
            if (!busy_) setWindowTitle(locationName());
        });
    });

    timTimer.setInterval(5);
    QObject::connect(&timTimer, &QTimer::timeout, this, [this] { timTimer_Timer(); });
    鼠标是否在动画窗体检测Timer.setInterval(100);
    QObject::connect(&鼠标是否在动画窗体检测Timer, &QTimer::timeout, this,
                     [this] { 鼠标是否在动画窗体检测Timer_Timer(); });
}

void 作品动画窗::load() {
    show();
    tbToolBar->update();
    startingAddress = programFolder_ + "/LCTUNE/ZuoPin/ZupPinDongHua.htm";
    tbToolBar->hide();
    鼠标是否在动画窗体检测Timer.start();
    if (startingAddress.empty()) return;
    const QString address = QString::fromStdString(startingAddress);
    cboAddress->setEditText(address);
    cboAddress->addItem(address);
    navigate(address);
}

// The browser loads local pages at once; the caption reads "正在工作..." until the next busy
// check finds the page there.
void 作品动画窗::navigate(const QString& address) {
    busy_ = true;
    setWindowTitle(QString::fromUtf8(kWorking));
    timTimer.start();
    const QUrl url = address.contains(QStringLiteral("://")) ? QUrl(address) : QUrl::fromLocalFile(address);
    if (cboAddress->currentText() != address) cboAddress->setEditText(address);
    brwWebBrowser->setSource(url);
    busy_ = false;
}

void 作品动画窗::timTimer_Timer() {
    if (busy_) {
        setWindowTitle(QString::fromUtf8(kWorking));
        return;
    }
    timTimer.stop();
    setWindowTitle(locationName());
}

// The page's title, or its file name when it has none (a missing page shows its address).
QString 作品动画窗::locationName() const {
    const QString title = brwWebBrowser->documentTitle();
    return title.isEmpty() ? brwWebBrowser->source().fileName() : title;
}

void 作品动画窗::不透明处理() {
    setWindowOpacity(1.0);
    translucent_ = false;
}

void 作品动画窗::半透明处理() {
    setWindowOpacity(kTranslucent);
    translucent_ = true;
}

void 作品动画窗::鼠标是否在动画窗体检测Timer_Timer() {
    const QRect r = frameGeometry();
    const QPoint p = QCursor::pos();
    // The window's rectangle reaches to left + width and top + height; its edges count as inside.
    const bool inside = r.left() <= p.x() && p.x() <= r.left() + r.width() && r.top() <= p.y() &&
                        p.y() <= r.top() + r.height();
    if (inside && translucent_)
        不透明处理();
    else if (!inside && !translucent_)
        半透明处理();
}

bool 作品动画窗::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        // The browser reaches 220 twips past the window's right edge.
        const double p = ScreenMetrics::current().twipsPerPixelX();
        brwWebBrowser->resize(width() + static_cast<int>(std::lround(220.0 / p)), brwWebBrowser->height());
    } else if (e->type() == QEvent::Resize) {
        cboAddress->setGeometry(0, 0, width(), kAddressHeight);
        brwWebBrowser->setGeometry(0, kAddressHeight,
                                   brwWebBrowser->width() > width() ? brwWebBrowser->width() : width(),
                                   std::max(0, height() - kAddressHeight));
    }
    return QWidget::event(e);
}

} // namespace lctune
