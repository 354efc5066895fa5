#include "shell/Screenshots.h"

#include "recording/录音窗.h"
#include "shell/Program.h"
#include "shell/作品动画窗.h"
#include "shell/封面.h"
#include "tuner/乐器调音窗.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace lctune {

namespace {

void save(const QPixmap& picture, const std::string& path) {
    if (!picture.save(QString::fromStdString(path)))
        std::fprintf(stderr, "lctune: cannot write %s\n", path.c_str());
}

QPixmap screen() {
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->grabWindow(0) : QPixmap();
}

} // namespace

void scheduleScreenshots(封面& cover, const std::string& folder, double tuneSeconds) {
    const auto at = [&cover](double seconds, std::function<void()> shot) {
        QTimer::singleShot(static_cast<int>(seconds * 1000), &cover, std::move(shot));
    };
    at(0.5, [&cover, folder] { save(cover.grab(), folder + "/cover.png"); });
    const double t = 2.5 + tuneSeconds; // the tuner has listened for tuneSeconds
    at(t, [&cover, folder] {
        save(screen(), folder + "/screen.png");
        save(cover.program().tunerWindow().grab(), folder + "/tuner.png");
        cover.program().showRecordingWindow();
    });
    at(t + 0.5, [&cover, folder] {
        save(cover.program().recordingWindow().grab(), folder + "/recording.png");
        cover.program().recordingWindow().hide();
        if (作品动画窗* works = cover.worksWindow()) {
            works->resize(works->width(), 600);
            works->navigate(
                QString::fromStdString(cover.program().services().programFolder + "/LCTUNE/LCTUNE.htm"));
        }
    });
    at(t + 1.0, [&cover, folder] {
        if (作品动画窗* works = cover.worksWindow()) save(works->grab(), folder + "/manual.png");
        cover.program().tunerWindow().close();
    });
}

} // namespace lctune
