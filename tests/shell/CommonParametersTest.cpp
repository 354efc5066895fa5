#include "platform/PlainMessageLoop.h"
#include "shell/ProgramFolders.h"
#include "shell/公用参数.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

using namespace lctune;

TEST(公用参数, SpeedIndexIsPassesOver300HalvesToEven) {
    EXPECT_EQ(公用参数::speedIndexOf(450000), 1500);
    EXPECT_EQ(公用参数::speedIndexOf(450150), 1500); // 1500.5
    EXPECT_EQ(公用参数::speedIndexOf(450450), 1502); // 1501.5
    EXPECT_EQ(公用参数::speedIndexOf(0), 0);
    AppFlags flags;
    公用参数::measureSpeed(flags);
    EXPECT_GT(flags.speedIndex, 0) << "reading the clock a quarter of a second long counts passes";
}

TEST(公用参数, WaitSecondsLetsMessagesRunUntilTheTimeIsUp) {
    PlainMessageLoop loop;
    int ran = 0;
    std::thread poster([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        loop.post([&] { ++ran; });
    });
    const auto t0 = std::chrono::steady_clock::now();
    公用参数::waitSeconds(0.1, loop);
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    poster.join();
    EXPECT_EQ(ran, 1) << "a message posted during the wait runs inside it";
    EXPECT_GE(waited, 0.1);
}

TEST(ProgramFolders, TheBuildTreeTheInstalledLayoutAndARecordingPlaceTheUserMayWrite) {
    lctune::test::TempDir root;
    namespace fs = std::filesystem;
    fs::create_directories(root / "build/tools/LCTUNE");
    ProgramFolders built = ProgramFolders::find((root / "build/tools").string(), "", "/home/someone");
    EXPECT_EQ(built.program, (root / "build/tools").string());
    EXPECT_EQ(built.recording, built.program);

    fs::create_directories(root / "usr/bin");
    fs::create_directories(root / "usr/share/lctune/LCTUNE");
    fs::create_directories(root / "music");
    ProgramFolders installed =
        ProgramFolders::find((root / "usr/bin").string(), (root / "music").string(), "/home/x");
    EXPECT_EQ(installed.program, (root / "usr/share/lctune").string());
    EXPECT_EQ(installed.recording, installed.program)
        << "a program folder the user may write takes the recording";

    // A program folder the user may not write: the music folder, else the home folder.
    fs::create_directories(root / "ro");
    if (::mount("tmpfs", (root / "ro").c_str(), "tmpfs", MS_RDONLY, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a read-only folder here";
    const std::string readOnly = (root / "ro").string();
    EXPECT_EQ(ProgramFolders::find(readOnly, (root / "music").string(), "/home/x").recording,
              (root / "music").string());
    EXPECT_EQ(ProgramFolders::find(readOnly, "/no/such/music", "/home/x").recording, "/home/x");
    ::umount2(readOnly.c_str(), MNT_DETACH);
}
