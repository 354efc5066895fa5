#pragma once
// The works window: the studio's works page, a local HTML file beside the program, in a browser
// that sits under the tuner window. It fades to a quarter of its opacity whenever the pointer is
// outside it and becomes opaque while the pointer is over it, checked every 100 ms.
// User-interface thread only.

#include <QTimer>
#include <QWidget>

#include <string>

class QComboBox;
class QTextBrowser;
class QToolBar;

namespace lctune {

class 作品动画窗 : public QWidget {
public:
    static constexpr double kTranslucent = 64.0 / 255.0;
    static constexpr const char* kWorking = "正在工作...";

    /// `programFolder`: the folder that holds LCTUNE/.
    explicit 作品动画窗(const std::string& programFolder);

    /// Shows the window and navigates to the works page.
    void load();
    void navigate(const QString& address);

    void 不透明处理();
    void 半透明处理();
    /// One pointer check: translucent outside, opaque inside (the edges count as inside).
    void 鼠标是否在动画窗体检测Timer_Timer();
    /// One busy check after a navigation: the caption says the browser works until the page is
    /// there, then shows the page's title.
    void timTimer_Timer();
    bool translucent() const { return translucent_; }

    std::string startingAddress;
    QTextBrowser* brwWebBrowser = nullptr;
    QComboBox* cboAddress = nullptr;
    QToolBar* tbToolBar = nullptr;
    QTimer timTimer;
    QTimer 鼠标是否在动画窗体检测Timer;

protected:
    bool event(QEvent* event) override;

private:
    QString locationName() const;

    std::string programFolder_;
    bool translucent_ = false;
    bool busy_ = false;
};

} // namespace lctune
