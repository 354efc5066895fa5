// The program's windows over the real ALSA capture and a PulseAudio server of the test's own,
// while the server is killed in the middle of a recording and started again.

#include "shell/Program.h"

#include "platform/SystemAudio.h"
#include "platform/qt/QtMessageLoop.h"
#include "recording/录音框.h"
#include "support/FakePlatform.h"
#include "support/PulseSupport.h"
#include "support/TestSupport.h"
#include "widgets/LCButton.h"
#include "widgets/小圆按钮.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace lctune;
using namespace lctune::fake;
using namespace lctune::test;

namespace {

// Runs the event loop until `done` holds or `ms` pass.
bool pumpUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// The recorded samples count up in the feeder's pattern without a gap or a repeat.
size_t breaksInTheCount(const std::vector<int16_t>& samples, int16_t base) {
    size_t breaks = 0;
    for (size_t i = 1; i < samples.size(); ++i) {
        const int16_t expected =
            samples[i - 1] == base + Feeder::kSpan - 1 ? base : static_cast<int16_t>(samples[i - 1] + 1);
        breaks += samples[i] != expected;
    }
    return breaks;
}

TEST(Faults, AServerKilledDuringARecordingKeepsWhatWasRecordedAndTheTunerListensAgainAfterItsRestart) {
    PrivateServer server;
    if (!server.running()) GTEST_SKIP() << "no PulseAudio server can be started here";
    ServerOverride useIt(server.address());
    TempDir dir;
    QtMessageLoop loop;
    FakeMessageBoxes boxes;
    MemorySettingsStore settings;
    FakeSaveDialog dialog;
    FakeShell shell;
    AppFlags flags;
    SystemAudio audio = makeSystemAudio();
    ProgramServices services{loop,
                             boxes,
                             settings,
                             dialog,
                             shell,
                             *audio.waveIn,
                             *audio.mixers,
                             flags,
                             dir.path().string(),
                             "lctune",
                             dir.path().string()};
    Program program(services);
    program.loadWindows();
    CaptureHub& hub = program.recordingWindow().hub();
    const std::string file = (dir / "take.wav").string();
    program.recordingWindow().txtFile->setText(QString::fromStdString(file));
    {
        Feeder feeding(server.fifo(), 1000);
        program.pressRecordButton();
        ASSERT_TRUE(program.recorder().IsRecording()) << boxes.shown.size();
        ASSERT_TRUE(pumpUntil([&] { return hub.bytesRecorded() >= 88200 * 2; }, 10000))
            << "a second recorded";
        server.signal(SIGKILL);
        EXPECT_TRUE(pumpUntil([&] { return !program.recorder().IsRecording(); }, 10000));
    }
    EXPECT_EQ(program.recordingBox().录音按钮->Caption(), "开始录音");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].first, "提示");
    const WavContents kept = readWav(file);
    ASSERT_TRUE(kept.ok);
    EXPECT_GE(kept.samples.size(), 88200u);
    EXPECT_EQ(static_cast<int64_t>(kept.samples.size()) * 2, hub.bytesRecorded()) << "every block written";
    EXPECT_EQ(breaksInTheCount(kept.samples, 1000), 0u) << "nothing lost or doubled before the loss";

    ASSERT_TRUE(server.restart());
    Feeder feeding(server.fifo(), 5000);
    int blocks = 0;
    hub.BlockProcessed.connect([&](std::span<const int16_t>, int32_t) { ++blocks; });
    program.tunerWindow().开始->Value(true);
    EXPECT_TRUE(program.recorder().IsRecording());
    EXPECT_TRUE(pumpUntil([&] { return blocks >= 5; }, 10000)) << "the tuner hears the new server";
    program.tunerWindow().结束->Value(true);
    EXPECT_FALSE(program.recorder().IsRecording());
}

} // namespace
