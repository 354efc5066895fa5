#include "platform/qt/QtInstanceLock.h"
#include "platform/qt/QtMessageLoop.h"
#include "platform/qt/QtSaveFileDialog.h"
#include "platform/qt/QtShell.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

using namespace lctune;

namespace {

// Lets the loop run until `done` holds, for at most two seconds.
template <typename F> bool runUntil(MessageLoop& loop, F done) {
    const QDeadlineTimer deadline(2000);
    while (!done() && !deadline.hasExpired()) {
        loop.processPending();
        QThread::msleep(1);
    }
    return done();
}

} // namespace

TEST(QtMessageLoop, DeliversPostsFromAnotherThreadOnTheUserInterfaceThreadInOrder) {
    QtMessageLoop loop;
    auto target = loop.createTarget();
    ASSERT_NE(target, nullptr);
    std::vector<uint32_t> received;
    bool onUiThread = true;
    ASSERT_EQ(loop.hook(*target,
                        [&](uint32_t message, void*) {
                            onUiThread = onUiThread &&
                                         QThread::currentThread() == QCoreApplication::instance()->thread();
                            received.push_back(message);
                        }),
              0);
    std::thread capture([&] {
        for (uint32_t m = 1; m <= 3; ++m)
            target->post(0x3C0 + m, nullptr);
    });
    capture.join();
    EXPECT_TRUE(received.empty()) << "nothing runs before the loop does";
    ASSERT_TRUE(runUntil(loop, [&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<uint32_t>{0x3C1, 0x3C2, 0x3C3}));
    EXPECT_TRUE(onUiThread);
}

TEST(QtMessageLoop, DropsPostsAfterTheTargetsTearDownAndAfterTheLoopIsGone) {
    int received = 0;
    auto loop = std::make_unique<QtMessageLoop>();
    auto target = loop->createTarget();
    loop->hook(*target, [&](uint32_t, void*) { ++received; });
    std::thread([&] { target->post(1, nullptr); }).join();
    target->tearDown();
    loop->processPending();
    EXPECT_EQ(received, 0) << "queued before the tear-down, dispatched after it";

    auto orphan = loop->createTarget();
    loop->hook(*orphan, [&](uint32_t, void*) { ++received; });
    orphan->post(2, nullptr);
    loop.reset();
    std::thread([&] { orphan->post(3, nullptr); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(received, 0) << "the loop's queue went with it";
}

TEST(QtInstanceLock, ASecondCopyIsRefusedWhileTheFirstHoldsTheLockInTheRuntimeFolder) {
    auto first = std::make_unique<QtInstanceLock>();
    EXPECT_EQ(
        first->fileName(),
        QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)).filePath("lctune.lock"));
    ASSERT_TRUE(first->tryLock());
    EXPECT_TRUE(first->tryLock()) << "the holder asking again";
    QtInstanceLock second;
    EXPECT_FALSE(second.tryLock());
    const std::filesystem::path file = first->fileName().toStdString();
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) - std::chrono::hours(24));
    EXPECT_FALSE(second.tryLock()) << "a running copy keeps its lock however old";
    first.reset();
    EXPECT_TRUE(second.tryLock()) << "free once the first copy ended";
}

TEST(QtInstanceLock, ALockLeftByACopyThatCrashedIsTakenOver) {
    QtInstanceLock lock(QStringLiteral("lctune-crashed"));
    QFile stale(lock.fileName());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // A process number above any the kernel hands out, on this machine: that copy is gone.
    stale.write("2147483646\nlctune\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    EXPECT_TRUE(lock.tryLock());
}

TEST(QtShell, StartsProgramsAndTellsWhenOneCannotStartOrOpen) {
    QtShell shell;
    EXPECT_TRUE(shell.startProgram("true", {"--tab=2"}));
    EXPECT_FALSE(shell.startProgram("lctune-no-such-mixer", {}));
    EXPECT_FALSE(shell.startProgram("", {}));
    EXPECT_FALSE(shell.open(""));
    EXPECT_FALSE(shell.open("/no/such/folder/LCTUNE/LCTUNE.htm")) << "a missing document is not handed on";
}

TEST(QtBackEnds, FiltersAndAddressesAreHandedToQtInItsOwnForm) {
    EXPECT_EQ(qtFileFilter("WAV 文件 (*.wav)|*.wav"), QStringLiteral("WAV 文件 (*.wav)"));
    EXPECT_EQ(qtFileFilter("Wave|*.wav;*.wave|All files (*.*)|*.*"),
              QStringLiteral("Wave (*.wav *.wave);;All files (*.*)"));
    EXPECT_EQ(qtFileFilter(""), QString());

    EXPECT_EQ(shellUrl("https://example.com/下载?a=1"), QUrl(QStringLiteral("https://example.com/下载?a=1")));
    EXPECT_EQ(shellUrl("mailto:studio@example.com").scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(shellUrl("/opt/岚川/LCTUNE/LCTUNE.htm"),
              QUrl::fromLocalFile(QStringLiteral("/opt/岚川/LCTUNE/LCTUNE.htm")));
    EXPECT_EQ(shellUrl("LCTUNE/a b.htm").toLocalFile(),
              QDir::current().absoluteFilePath(QStringLiteral("LCTUNE/a b.htm")));
    EXPECT_FALSE(shellUrl("  ").isValid());
}
