// Test main for the widgets: a QApplication on the offscreen platform, a private runtime folder,
// Qt's test mode for standard paths, and the 96-DPI screen metrics the widgets were designed at.
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    static const lctune::FixedScreenMetrics metrics(15.0, 15.0);
    lctune::ScreenMetrics::install(&metrics);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
