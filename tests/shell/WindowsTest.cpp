// The tuner window, the recording window with its equaliser panel and the recording box, driven
// through their controls as a user would, over fake audio and platform services.

#include "shell/Program.h"

#include "platform/qt/PictureBox.h"
#include "recording/均衡器板.h"
#include "recording/录音框.h"
#include "support/FakePlatform.h"
#include "support/TestSupport.h"
#include "widgets/LCButton.h"
#include "widgets/可调水平进度条.h"
#include "widgets/复选框控件.h"
#include "widgets/小圆按钮.h"
#include "widgets/直滑电位器.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/mount.h>

using namespace lctune;
using namespace lctune::fake;
using namespace lctune::test;
namespace fs = std::filesystem;

namespace {

class Windows : public ::testing::Test {
protected:
    FakeServices fake;
    TempDir dir;
    std::unique_ptr<Program> program;

    void SetUp() override {
        fake.services.recordingFolder = dir.path().string();
        start();
    }
    void start() {
        program = std::make_unique<Program>(fake.services);
        program->loadWindows();
        rec().tmrVis.stop(); // the tests tick by hand
    }
    录音窗& rec() { return program->recordingWindow(); }
    乐器调音窗& tuner() { return program->tunerWindow(); }
    录音框& box() { return program->recordingBox(); }
    bool capturing() { return rec().clsRecorder().IsRecording(); }
    void press() { box().录音按钮->Value(true); }
    void deliver(const std::vector<int16_t>& samples) {
        ASSERT_TRUE(fake.waveIn.deliver(samples));
        fake.loop.processPending();
    }
    void typeInRate(const QString& text) {
        for (QChar c : text)
            QTest::keyClick(rec().cboSamplerate->lineEdit(), c.toLatin1());
    }
    std::vector<std::string> bandLabels() {
        std::vector<std::string> out;
        for (QLabel* l : rec().均衡器->lblEQID)
            out.push_back(l->text().toStdString());
        return out;
    }
};

TEST_F(Windows, FirstStartWithAnEmptyStore) {
    EXPECT_EQ(rec().cboSamplerate->currentText(), QStringLiteral("88200"));
    EXPECT_TRUE(rec().位数16->isChecked());
    EXPECT_EQ(rec().hub().effects().samplerate(), 88200);
    // The tuner window's load switched the recording window to one channel, no level control.
    EXPECT_EQ(rec().chkStereo->Value(), 0);
    EXPECT_EQ(rec().自动电平控制->Value(), 0);
    EXPECT_EQ(rec().hub().effects().Channels(), 1);
    EXPECT_EQ(rec().chkFX[3]->Value(), 1);
    EXPECT_TRUE(fake.flags.eqFlat);
    for (直滑电位器* fader : rec().均衡器->sldEQ)
        EXPECT_EQ(fader->Value(), 0);
    EXPECT_EQ(bandLabels(),
              (std::vector<std::string>{"80 Hz", "214 Hz", "573 Hz", "1 kHz", "4 kHz", "10 kHz", "29 kHz"}));
    EXPECT_EQ(rec().设备->currentIndex(), 0);
    EXPECT_EQ(rec().clsRecorder().SelectedDevice(), 0);
    EXPECT_EQ(rec().pos(), QPoint((1280 - rec().width()) / 2, (1024 - rec().height()) / 2));
    // Room for the works window (2800 twips) under the tuner window.
    EXPECT_EQ(tuner().pos().y(), std::max(0, (1024 * 15 - tuner().height() * 15 - 2800) / 2 / 15));
    EXPECT_FALSE(capturing());
    EXPECT_FALSE(program->recordingBoxLoaded());
}

TEST_F(Windows, TheFirstActivationStartsTheTunerAndCaptureWithoutAFile) {
    tuner().activated();
    EXPECT_TRUE(fake.flags.tunerActive);
    EXPECT_TRUE(capturing());
    EXPECT_EQ(box().录音按钮->Caption(), "停止录音");
    EXPECT_EQ(box().录音按钮->Picture(), box().四方快Image);
    EXPECT_FALSE(rec().frmOut->isEnabled());
    EXPECT_FALSE(rec().frmInp->isEnabled());
    EXPECT_TRUE(tuner().windowTitle().startsWith(QString::fromUtf8("岚川辨音器   版本：V")));
    deliver(pattern(5120, 1));
    EXPECT_TRUE(fs::is_empty(dir.path())) << "the tuner records nothing";
    // The box publishes its handles for the companion program.
    EXPECT_NE(fake.settings.read("岚川调音器", "录音棚衔接参数", "录音框_hwnd", ""), "");

    tuner().activated();
    EXPECT_TRUE(capturing()) << "later activations do not press the button again";

    tuner().结束->Value(true);
    EXPECT_FALSE(capturing());
    EXPECT_FALSE(fake.flags.tunerActive);
    EXPECT_EQ(box().录音按钮->Caption(), "开始录音");
    EXPECT_EQ(box().录音按钮->Picture(), box().红灯Image);
    EXPECT_TRUE(rec().frmOut->isEnabled());
    tuner().结束->Value(true);
    EXPECT_FALSE(capturing()) << "an end while idle toggles nothing";
}

TEST_F(Windows, StartWhileARecordingRunsOnlySetsTheTunerAndTheEqualiserSwitch) {
    rec().txtFile->setText(QString::fromStdString((dir / "take.wav").string()));
    press();
    ASSERT_TRUE(capturing());
    tuner().滤波->Value(0);
    tuner().开始->Value(true);
    EXPECT_TRUE(capturing());
    EXPECT_TRUE(fake.flags.tunerActive);
    EXPECT_EQ(rec().chkFX[3]->Value(), 0);
    tuner().结束->Value(true);
    EXPECT_FALSE(capturing()) << "the end button stops a recording the box started";
}

TEST_F(Windows, ARecordingWritesTheCapturedSamplesExactly) {
    press(); // an empty file box records to the default file
    ASSERT_TRUE(capturing());
    const std::string file = (dir / "临时录音文件.wav").string();
    EXPECT_EQ(rec().txtFile->text().toStdString(), file);
    std::vector<int16_t> all;
    for (uint32_t k = 0; k < 4; ++k) {
        const auto block = pattern(5120, k + 10);
        deliver(block);
        all.insert(all.end(), block.begin(), block.end());
    }
    press();
    EXPECT_FALSE(capturing());
    const WavContents got = readWav(file);
    ASSERT_TRUE(got.ok);
    EXPECT_EQ(got.info.samplerate, 88200);
    EXPECT_EQ(got.info.channels, 1);
    EXPECT_EQ(got.samples, all);
    EXPECT_EQ(fs::file_size(file), 46 + 2 * all.size());
}

TEST_F(Windows, AWriteErrorStopsTheRecordingBeforeTheMessage) {
    rec().txtFile->setText(QString::fromStdString((dir / "full.wav").string()));
    press();
    ASSERT_TRUE(capturing());
    FileSizeLimit diskFull(1000); // the disk fills up during the recording
    bool stoppedFirst = false;
    fake.boxes.onShow = [&] { stoppedFirst = !capturing() && box().录音按钮->Caption() == "开始录音"; };
    deliver(pattern(5120, 3));
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0],
              std::make_pair(std::string("岚川调音器"), std::string(CaptureHub::kWriteError)));
    EXPECT_TRUE(stoppedFirst);
}

TEST_F(Windows, ALostDeviceEndsTheRecordingWithAValidFileAndOneWarning) {
    const std::string file = (dir / "lost.wav").string();
    rec().txtFile->setText(QString::fromStdString(file));
    press();
    deliver(pattern(5120, 4));
    rec().clsRecorder().silenceLimit(std::chrono::milliseconds(0)); // no buffer since: lost
    rec().tmrVis_Timer();
    rec().tmrVis_Timer();
    EXPECT_FALSE(capturing());
    EXPECT_EQ(box().录音按钮->Caption(), "开始录音");
    EXPECT_TRUE(rec().frmOut->isEnabled());
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].first, "提示");
    EXPECT_EQ(readWav(file).samples, pattern(5120, 4)) << "what was recorded stays, in a valid file";
    rec().clsRecorder().silenceLimit(std::chrono::milliseconds(5000));
    tuner().开始->Value(true);
    EXPECT_TRUE(capturing()) << "the tuner can start again";
}

TEST_F(Windows, AFullDiskStopsTheRecordingKeepsWhatFittedAndRecordingGoesOnElsewhere) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string full = (disk / "take.wav").string();
    rec().txtFile->setText(QString::fromStdString(full));
    press();
    std::vector<int16_t> delivered;
    for (uint32_t k = 0; k < 20 && capturing(); ++k) {
        const auto block = pattern(5120, k + 40);
        deliver(block);
        delivered.insert(delivered.end(), block.begin(), block.end());
    }
    EXPECT_FALSE(capturing());
    EXPECT_EQ(box().录音按钮->Caption(), "开始录音");
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0].second, CaptureHub::kWriteError);
    const WavContents kept = readWav(full);
    ASSERT_TRUE(kept.ok) << "what fitted stays in a valid file";
    ASSERT_GT(kept.samples.size(), 5120u);
    EXPECT_TRUE(std::equal(kept.samples.begin(), kept.samples.end(), delivered.begin()));

    const std::string next = (dir / "next.wav").string();
    rec().txtFile->setText(QString::fromStdString(next));
    press();
    deliver(pattern(5120, 99));
    press();
    EXPECT_EQ(readWav(next).samples, pattern(5120, 99));
}

TEST_F(Windows, AnOutputFolderThatIsGoneOrReadOnlyIsReportedAndNothingElseChanges) {
    fs::create_directories(dir / "gone");
    rec().txtFile->setText(QString::fromStdString((dir / "gone" / "take.wav").string()));
    fs::remove(dir / "gone");
    press();
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fake.boxes.shown.back(), std::make_pair(std::string("提示"), std::string("无法初始化编码器!")));

    fs::create_directories(dir / "ro");
    if (::mount("tmpfs", (dir / "ro").c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0) {
        rec().txtFile->setText(QString::fromStdString((dir / "ro" / "take.wav").string()));
        press();
        EXPECT_FALSE(capturing());
        EXPECT_EQ(fake.boxes.shown.back().second, "无法初始化编码器!");
        ::umount2((dir / "ro").c_str(), MNT_DETACH);
    }
    EXPECT_EQ(box().录音按钮->Caption(), "开始录音");
    tuner().开始->Value(true);
    EXPECT_TRUE(capturing()) << "the tuner still starts";
}

TEST_F(Windows, FailedStartsSayWhyAndLeaveTheBoxIdle) {
    rec().txtFile->setText(QString::fromStdString((dir / "no-folder" / "x.wav").string()));
    press();
    EXPECT_FALSE(capturing());
    EXPECT_EQ(fake.boxes.shown.back(), std::make_pair(std::string("提示"), std::string("无法初始化编码器!")));
    EXPECT_EQ(box().录音按钮->Caption(), "开始录音");

    rec().txtFile->setText(QString::fromStdString((dir / "x.wav").string()));
    fake.waveIn.log.failOpen = true;
    press();
    EXPECT_EQ(fake.boxes.shown.back().second,
              "不能启动录音功能!请确认您的声卡是全双工的，如果不是请升级声卡或主板。");
    EXPECT_TRUE(rec().frmOut->isEnabled());
}

TEST_F(Windows, SampleRateBoxTakesFiveDigitsAndRefusesRatesTheEffectsCannotRun) {
    QLineEdit* edit = rec().cboSamplerate->lineEdit();
    edit->clear();
    typeInRate(QStringLiteral("4a4-1.0"));
    EXPECT_EQ(edit->text(), QStringLiteral("4410"));
    typeInRate(QStringLiteral("07"));
    EXPECT_EQ(edit->text(), QStringLiteral("44100")) << "a sixth digit is refused";
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("4410"));

    for (const char* bad : {"0", "99999", ""}) {
        fake.boxes.shown.clear();
        rec().cboSamplerate->setEditText(QString::fromUtf8(bad));
        rec().cboSamplerate_Click();
        ASSERT_EQ(fake.boxes.shown.size(), 1u) << bad;
        EXPECT_EQ(fake.boxes.shown[0],
                  std::make_pair(std::string("岚川调音器"), std::string("invalid samplerate")));
        EXPECT_EQ(rec().hub().effects().samplerate(), 88200) << "the rate in force stays";

        rec().txtFile->setText(QString::fromStdString((dir / "bad.wav").string()));
        press();
        EXPECT_EQ(fake.boxes.shown.back(),
                  std::make_pair(std::string("提示"), std::string("invalid samplerate")));
        EXPECT_FALSE(capturing());
        EXPECT_FALSE(fs::exists(dir / "bad.wav"));
    }
    rec().cboSamplerate->setEditText(QStringLiteral("44100"));
    rec().cboSamplerate_Click();
    EXPECT_EQ(rec().hub().effects().samplerate(), 44100);
    EXPECT_EQ(bandLabels().front(), "80 Hz");
    EXPECT_EQ(bandLabels().back(), "14 kHz") << "the panel is rebuilt for the new rate";
}

TEST_F(Windows, BrowseAddsTheExtensionAndKeepsOneInAnyCase) {
    fake.saveDialog.names = {"/music/take", "/music/TAKE.Wav", ""};
    rec().浏览->Value(true);
    EXPECT_EQ(rec().txtFile->text(), QStringLiteral("/music/take.wav"));
    rec().浏览->Value(true);
    EXPECT_EQ(rec().txtFile->text(), QStringLiteral("/music/TAKE.Wav"));
    rec().浏览->Value(true);
    EXPECT_EQ(rec().txtFile->text(), QStringLiteral("/music/TAKE.Wav")) << "cancelled: unchanged";
    EXPECT_EQ(fake.saveDialog.filters.front(), "Wave ACM Encoder (*.wav)|*.wav");

    rec().cboSamplerate->setEditText(QStringLiteral("8000"));
    rec().chkStereo->Value(0);
    rec().位数8->setChecked(true);
    rec().默认值->Value(true);
    EXPECT_EQ(rec().cboSamplerate->currentText(), QStringLiteral("88200"));
    EXPECT_EQ(rec().chkStereo->Value(), 1);
    EXPECT_TRUE(rec().位数16->isChecked());
}

TEST_F(Windows, DeviceThatCannotBeSelectedIsReported) {
    fake.mixers.failingDevices = {1};
    rec().设备->setCurrentIndex(1);
    rec().设备_Click();
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.shown[0],
              std::make_pair(std::string("岚川调音器"), std::string("Couldn't select device!")));
}

TEST_F(Windows, SettingsAreSavedOnCloseAndRestoredAtTheNextStart) {
    rec().chkFX[1]->Value(1);
    rec().chkFX[3]->Value(0);
    rec().设备->setCurrentIndex(1);
    rec().设备_Click();
    rec().均衡器->sldEQ[2]->Value(-6);
    rec().close(); // only hides while the program runs
    EXPECT_FALSE(rec().isVisible());
    const auto stored = [&](const char* key) { return fake.settings.read("lctune", "录音窗", key, "?"); };
    EXPECT_EQ(stored("启用周相移动"), "1");
    EXPECT_EQ(stored("启用均衡器"), "0");
    EXPECT_EQ(stored("设备"), "USB Microphone (fake)");
    EXPECT_EQ(stored("均衡器_2"), "-6");
    EXPECT_EQ(stored("均衡器_0"), "0");
    EXPECT_NE(stored("Left"), "?");

    program.reset();
    start();
    EXPECT_EQ(rec().chkFX[3]->Value(), 0);
    EXPECT_EQ(rec().设备->currentText(), QStringLiteral("USB Microphone (fake)"));
    EXPECT_EQ(rec().clsRecorder().SelectedDevice(), 1);
    EXPECT_EQ(rec().均衡器->sldEQ[2]->Value(), -6);
    EXPECT_EQ(rec().hub().effects().EqualizerBandGainDB(2), -6);
    EXPECT_FALSE(fake.flags.eqFlat);

    // A hand-edited file: what is not a value the window could have stored reads as the default.
    for (const auto& [key, value] : std::vector<std::pair<const char*, const char*>>{{"启用均衡器", "yes"},
                                                                                     {"均衡器_2", "loud"},
                                                                                     {"均衡器_4", "40"},
                                                                                     {"设备", "gone"},
                                                                                     {"Left", "x"}})
        fake.settings.write("lctune", "录音窗", key, value);
    program.reset();
    start();
    EXPECT_EQ(rec().chkFX[3]->Value(), 1);
    EXPECT_EQ(rec().均衡器->sldEQ[2]->Value(), 0);
    EXPECT_EQ(rec().均衡器->sldEQ[4]->Value(), 0);
    EXPECT_EQ(rec().设备->currentIndex(), 0);
    EXPECT_TRUE(fake.flags.eqFlat);
}

TEST_F(Windows, EqualiserFadersSetTheBandsAndTheFlagAndResetClearsThem) {
    PictureBox& tunerCurve = tuner().picEQAmpBox();
    const QImage flat = tunerCurve.surface().image();
    rec().均衡器->sldEQ[3]->Value(12);
    EXPECT_FALSE(fake.flags.eqFlat);
    EXPECT_EQ(rec().hub().effects().EqualizerBandGainDB(3), 12);
    EXPECT_NE(tunerCurve.surface().image(), flat) << "the tuner's curve follows";
    rec().均衡器->均衡器复位->Value(true);
    EXPECT_TRUE(fake.flags.eqFlat);
    EXPECT_EQ(rec().hub().effects().EqualizerBandGainDB(3), 0);
    EXPECT_EQ(tunerCurve.surface().image(), flat);
}

TEST_F(Windows, VolumeBarSetsTheMixerLineAndTheButtonsStartTheMixers) {
    tuner().音量->Value(50);
    const int32_t line = rec().clsRecorder().SelectedMixerLine();
    EXPECT_EQ(fake.mixers.state.volumes[static_cast<size_t>(line)], (std::vector<int32_t>{32768, 32768}));
    tuner().音量->Value(100);
    EXPECT_EQ(fake.mixers.state.volumes[static_cast<size_t>(line)].front(), 65535);

    fake.shell.missing = {"pavucontrol"};
    tuner().录音控制板->Value(true);
    tuner().播放控制板->Value(true);
    EXPECT_EQ(fake.shell.started,
              (std::vector<std::string>{"pavucontrol --tab=2", "x-terminal-emulator -e alsamixer -V capture",
                                        "pavucontrol", "x-terminal-emulator -e alsamixer -V playback"}));
    EXPECT_TRUE(fake.boxes.shown.empty()) << "a missing mixer program is passed over silently";
}

TEST_F(Windows, TheTickDrawsTheLevelsAndRunsTheAnalysisWhileTuning) {
    tuner().activated();
    rec().chkStereo->Value(1);
    EXPECT_EQ(rec().hub().effects().Channels(), 2);
    EXPECT_TRUE(rec().hub().stereo());
    std::vector<int16_t> block(5120, 0);
    for (size_t i = 0; i < block.size(); i += 2)
        block[i] = 30000; // loud left, silent right
    deliver(block);
    const QImage before = tuner().picVULBox().surface().image();
    rec().tmrVis_Timer();
    const QImage left = tuner().picVULBox().surface().image(), right = tuner().picVURBox().surface().image();
    EXPECT_NE(left, before);
    // The left bar reaches far, the right one barely starts.
    EXPECT_NE(left.pixel(left.width() / 2, left.height() / 2),
              right.pixel(right.width() / 2, right.height() / 2));
    for (int64_t i = 1; i < 录音窗::kTicksPerShow; ++i)
        rec().tmrVis_Timer(); // the screen shows every few ticks
    EXPECT_EQ(tuner().提示->text().toStdString(), tuner().analysis().提示.Text());
    EXPECT_EQ(tuner().统计次数label->text().toStdString(), tuner().analysis().统计次数label.Text());
}

TEST_F(Windows, TheManualAndTheLinksOpenLocalPages) {
    QTest::mouseClick(tuner().使用说明, Qt::LeftButton);
    ASSERT_EQ(fake.shell.opened.size(), 1u);
    EXPECT_EQ(fake.shell.opened[0], "/opt/lctune/LCTUNE/LCTUNE.htm");
    QTest::mouseClick(tuner().朗韵电子琴Label, Qt::LeftButton);
    EXPECT_EQ(fake.shell.opened[1].rfind("/opt/lctune/LCTUNE/ZuoPin/ZupPinDongHua.htm", 0), 0u);
}

TEST_F(Windows, TheExitSequenceStopsTheRecordingAndWritesEverything) {
    bool quit = false;
    program->onQuit([&] { quit = true; });
    rec().txtFile->setText(QString::fromStdString((dir / "exit.wav").string()));
    press();
    deliver(pattern(5120, 8));
    QCloseEvent close;
    QApplication::sendEvent(&tuner(), &close); // the user closes the tuner window
    EXPECT_TRUE(quit);
    EXPECT_FALSE(capturing());
    EXPECT_TRUE(fake.flags.unloadForReal);
    EXPECT_EQ(fake.settings.read("岚川调音器", "录音棚衔接参数", "已经关闭", ""), "True");
    EXPECT_EQ(fake.settings.read("lctune", "录音窗", "均衡器_6", "?"), "0");
    EXPECT_EQ(readWav((dir / "exit.wav").string()).samples, pattern(5120, 8));
}

} // namespace
