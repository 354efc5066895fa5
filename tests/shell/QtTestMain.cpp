// Test main for the windows and the program: a QApplication on the offscreen platform, private
// runtime and configuration folders, Qt's test mode for standard paths, and the 96-DPI screen
// metrics of a 1280 x 1024 screen.
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir runtime, config;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    static const lctune::FixedScreenMetrics metrics(15.0, 15.0, 1280 * 15.0, 1024 * 15.0);
    lctune::ScreenMetrics::install(&metrics);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
