#include "core/Colors.h"

#include "WidgetTestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lctune;
using namespace lctune::testing;

namespace {

int runGallery(const QStringList& arguments) {
    QProcess gallery;
    gallery.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    gallery.start(QStringLiteral(LCTUNE_TOOLS_DIR "/lctune-widgets"), arguments);
    if (!gallery.waitForFinished(120000)) return -1;
    return gallery.exitStatus() == QProcess::NormalExit ? gallery.exitCode() : -1;
}

} // namespace

TEST(Gallery, RendersEveryWidgetIntoAScreenshot) {
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("画廊.png"));
    ASSERT_EQ(runGallery({QStringLiteral("--screenshot"), file}), 0);
    const QImage shot(file);
    ASSERT_EQ(shot.size(), QSize(1220, 1010));
    // The first button's outer border and the first meter's bezel are where the gallery puts them.
    EXPECT_EQ(packedAt(shot, 16, 50), rgb(64, 64, 64));
    EXPECT_NE(packedAt(shot, 30, 700), packedAt(shot, 5, 700));
}

TEST(Gallery, RefusesUnknownArguments) {
    EXPECT_EQ(runGallery({QStringLiteral("--colour"), QStringLiteral("red")}), 2);
    EXPECT_EQ(runGallery({QStringLiteral("--scale"), QStringLiteral("3")}), 2);
}
