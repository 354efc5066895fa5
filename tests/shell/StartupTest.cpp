// Start-up, the hand-over to the tuner window, the works window and the exit, through the cover
// over fake services.

#include "shell/封面.h"

#include "core/Version.h"
#include "shell/Program.h"
#include "shell/作品动画窗.h"
#include "support/FakePlatform.h"
#include "support/TestSupport.h"
#include "tuner/乐器调音窗.h"
#include "widgets/LCButton.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <fstream>

using namespace lctune;
using namespace lctune::fake;
using namespace lctune::test;

namespace {

class FakeLock : public InstanceLock {
public:
    bool free = true;
    bool tryLock() override { return free; }
};

class Startup : public ::testing::Test {
protected:
    FakeServices fake;
    FakeLock lock;
    TempDir folder;
    std::unique_ptr<封面> cover;

    void SetUp() override {
        fake.services.programFolder = folder.path().string();
        fake.services.recordingFolder = folder.path().string();
    }
    bool start() {
        cover = std::make_unique<封面>(fake.services, lock);
        cover->handOverSeconds = 0;
        return cover->load();
    }
    std::string stored(const char* section, const char* key) {
        return fake.settings.read("岚川调音器", section, key, "(none)");
    }
    void writePage(const std::string& name, const std::string& title) {
        std::filesystem::create_directories(folder / "LCTUNE/ZuoPin");
        std::ofstream(folder / name) << "<html><head><title>" << title
                                     << "</title></head><body>x</body></html>";
    }
};

TEST_F(Startup, FirstStartCountsTheRunAndAsksBothQuestionsInOrder) {
    ASSERT_TRUE(start());
    EXPECT_EQ(stored("参数", "运行次数"), "1");
    EXPECT_EQ(fake.boxes.kinds, (std::vector<std::string>{"question", "question"}));
    EXPECT_EQ(fake.boxes.shown[0],
              std::make_pair(std::string("岚川调音器"), std::string("您第一次运行，是否打开说明书？")));
    EXPECT_EQ(fake.boxes.shown[1].second, "您第一次运行，是否浏览岚川工作室网站？");
    EXPECT_TRUE(fake.shell.opened.empty()) << "No to both opens nothing";
    EXPECT_EQ(cover->版本名称->text().toStdString(), "版本：V" + std::to_string(kVersionMajor) + "." +
                                                         std::to_string(kVersionMinor) + "." +
                                                         std::to_string(kVersionPatch));
    EXPECT_EQ(stored("录音棚衔接参数", "运行的目录"), folder.path().string());
    EXPECT_GT(fake.flags.speedIndex, 0);
    EXPECT_FALSE(cover->program().tunerWindow().isVisible()) << "loaded hidden";
}

TEST_F(Startup, YesOpensTheManualAndThenTheWorksPage) {
    fake.boxes.answers = {true, true};
    ASSERT_TRUE(start());
    EXPECT_EQ(fake.shell.opened,
              (std::vector<std::string>{folder.path().string() + "/LCTUNE/LCTUNE.htm",
                                        folder.path().string() + "/LCTUNE/ZuoPin/ZupPinDongHua.htm"}));
}

TEST_F(Startup, LaterStartsAskNothingAndAGarbageCountCountsAsNone) {
    fake.settings.write("岚川调音器", "参数", "运行次数", "41");
    ASSERT_TRUE(start());
    EXPECT_EQ(stored("参数", "运行次数"), "42");
    EXPECT_TRUE(fake.boxes.shown.empty());

    cover.reset();
    fake.settings.write("岚川调音器", "参数", "运行次数", "很多");
    ASSERT_TRUE(start());
    EXPECT_EQ(stored("参数", "运行次数"), "1");
    EXPECT_EQ(fake.boxes.kinds.size(), 2u);
}

TEST_F(Startup, ASecondCopySaysSoAndTouchesNothing) {
    lock.free = false;
    EXPECT_FALSE(start());
    ASSERT_EQ(fake.boxes.shown.size(), 1u);
    EXPECT_EQ(fake.boxes.kinds[0], "notice");
    EXPECT_EQ(fake.boxes.shown[0],
              std::make_pair(std::string("岚川调音器"), std::string("《岚川调音器》已经打开！")));
    EXPECT_EQ(fake.settings.writes, 0);
    EXPECT_FALSE(fake.waveIn.log.open);
}

TEST_F(Startup, AProjectFileBesideTheProgramKeepsTheFolderUnpublished) {
    std::ofstream(folder / "lctune.vbp") << "";
    ASSERT_TRUE(start());
    EXPECT_EQ(stored("录音棚衔接参数", "运行的目录"), "(none)");
}

TEST_F(Startup, TheHandOverShowsTheTunerWhichStartsListeningAndShowsTheWorksOnFastMachines) {
    writePage("LCTUNE/ZuoPin/ZupPinDongHua.htm", "岚川工作室 · 作品");
    ASSERT_TRUE(start());
    cover->show();
    cover->handOver();
    乐器调音窗& tuner = cover->program().tunerWindow();
    EXPECT_FALSE(cover->isVisible());
    EXPECT_TRUE(tuner.isVisible());
    EXPECT_TRUE(cover->program().recordingBoxLoaded());

    fake.flags.speedIndex = 1500;
    tuner.activated();
    EXPECT_EQ(cover->worksWindow(), nullptr) << "1500 is not above 1500";
    EXPECT_TRUE(fake.flags.tunerActive) << "the first activation pressed the start button";
    fake.flags.speedIndex = 1501;
    tuner.activated();
    ASSERT_NE(cover->worksWindow(), nullptr);
    const QRect works = cover->worksWindow()->geometry();
    EXPECT_EQ(works.top(), tuner.frameGeometry().bottom() + 1);
    EXPECT_EQ(works.width(), tuner.frameGeometry().width());
    EXPECT_EQ(works.height(), 187); // 2800 twips at 15 twips a pixel
}

TEST_F(Startup, TheExitButtonStopsARecordingAndWritesTheClosedMark) {
    ASSERT_TRUE(start());
    bool quit = false;
    cover->program().onQuit([&] { quit = true; });
    cover->program().recordingWindow().txtFile->setText(QString::fromStdString((folder / "x.wav").string()));
    cover->program().pressRecordButton();
    ASSERT_TRUE(cover->program().recorder().IsRecording());
    cover->退出->Value(true);
    EXPECT_TRUE(quit);
    EXPECT_FALSE(cover->program().recorder().IsRecording());
    EXPECT_EQ(stored("录音棚衔接参数", "已经关闭"), "True");
    EXPECT_NE(fake.settings.read("lctune", "录音窗", "设备", "(none)"), "(none)");
    EXPECT_TRUE(readWav((folder / "x.wav").string()).ok);
}

TEST_F(Startup, TheWorksWindowFadesWhenThePointerLeavesAndCountsItsEdgesAsInside) {
    writePage("LCTUNE/ZuoPin/ZupPinDongHua.htm", "岚川工作室 · 作品");
    作品动画窗 works(folder.path().string());
    works.setGeometry(100, 100, 300, 120);
    works.load();
    EXPECT_EQ(works.windowTitle(), QString::fromUtf8("正在工作...")) << "while the page loads";
    QApplication::processEvents();
    EXPECT_EQ(works.windowTitle(), QString::fromUtf8("岚川工作室 · 作品"));

    QCursor::setPos(QPoint(5, 5));
    works.鼠标是否在动画窗体检测Timer_Timer();
    EXPECT_TRUE(works.translucent());
    EXPECT_DOUBLE_EQ(works.windowOpacity(), 64.0 / 255.0);
    const QRect r = works.frameGeometry();
    QCursor::setPos(QPoint(r.left() + r.width(), r.top())); // on the right edge
    works.鼠标是否在动画窗体检测Timer_Timer();
    EXPECT_FALSE(works.translucent());
    EXPECT_DOUBLE_EQ(works.windowOpacity(), 1.0);
}

} // namespace
