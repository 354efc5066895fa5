#include "platform/qt/QtSettingsStore.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

using namespace lctune;
using lctune::test::TempDir;
using namespace std::string_literals;

namespace {

std::string fileText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

QString qPath(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

TEST(QtSettingsStore, ChineseSectionsAndKeysRoundTripThroughFilesInTheUsersConfigFolder) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                           QStringLiteral("/岚川工作室");
    {
        QtSettingsStore store;
        EXPECT_TRUE(store.write("岚川调音器", "参数", "运行次数", "3"));
        EXPECT_TRUE(store.write("岚川调音器", "录音棚衔接参数", "运行的目录", "/opt/岚川 调音器/"));
        EXPECT_TRUE(store.write("lctune", "录音窗", "设备", " USB 麦克风, 模拟 "));
        EXPECT_TRUE(store.write("lctune", "录音窗", "均衡器_0", "-12"));
        EXPECT_FALSE(store.write("lctune", "录音窗", "", "x")) << "no key, no value";
        EXPECT_EQ(store.read("lctune", "录音窗", "设备", ""), " USB 麦克风, 模拟 ")
            << "read back before saving";
        EXPECT_TRUE(store.sync());
        EXPECT_EQ(store.fileName("lctune"), folder + QStringLiteral("/lctune.ini"));
    }
    const std::string text = fileText(folder + QStringLiteral("/岚川调音器.ini"));
    EXPECT_NE(text.find("[%U53C2%U6570]"), std::string::npos) << text;
    EXPECT_NE(text.find("/opt/岚川 调音器/"), std::string::npos) << "values stay UTF-8 text:\n" << text;
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/lctune.ini")));

    QtSettingsStore again;
    EXPECT_EQ(again.readInteger("岚川调音器", "参数", "运行次数", 0), 3);
    EXPECT_EQ(again.read("岚川调音器", "录音棚衔接参数", "运行的目录", ""), "/opt/岚川 调音器/");
    EXPECT_EQ(again.read("lctune", "录音窗", "设备", ""), " USB 麦克风, 模拟 ");
    EXPECT_EQ(again.readInteger("lctune", "录音窗", "均衡器_0", 0), -12);
    EXPECT_EQ(again.read("lctune", "录音窗", "均衡器_1", "absent"), "absent");
    EXPECT_EQ(again.read("lctune", "参数", "运行次数", "other file"), "other file");
}

TEST(QtSettingsStore, AHandEditedFileWithGarbageReadsAsDefaultsAndCanBeSavedAgain) {
    TempDir dir;
    std::ofstream(dir / "lctune.ini", std::ios::binary)
        << "\xff\xfe\x00"s
        << "garbage\n[%U5F55%U97F3%U7A97]\nLeft=abc\nTop=12abc\n"
           "%U8BBE%U5907=Line, Mic\n%U542F%U7528%U5747%U8861%U5668=@Variant(\\0\\0\\0\\x7f\\xff\\xff)\n"
           "%U5747%U8861%U5668_0=@ByteArray(5)\n%U5747%U8861%U5668_1=\"7\nno equals sign\n[unclosed\n="
        << std::string(3, '\0') << "\n";
    QtSettingsStore store(qPath(dir.path()));
    EXPECT_EQ(store.readInteger("lctune", "录音窗", "Left", 7), 7);
    EXPECT_EQ(store.readInteger("lctune", "录音窗", "Top", 8), 8);
    EXPECT_EQ(store.read("lctune", "录音窗", "设备", ""), "Line, Mic") << "unquoted commas are still text";
    EXPECT_EQ(store.readInteger("lctune", "录音窗", "启用均衡器", 1), 1);
    EXPECT_EQ(store.readInteger("lctune", "录音窗", "均衡器_0", 0), 5);
    EXPECT_EQ(store.readNumber("lctune", "录音窗", "均衡器_1", 2.5), 2.5);

    EXPECT_TRUE(store.write("lctune", "录音窗", "Left", "1500"));
    EXPECT_TRUE(store.sync());
    EXPECT_EQ(QtSettingsStore(qPath(dir.path())).readInteger("lctune", "录音窗", "Left", 0), 1500);
}

TEST(QtSettingsStore, AFolderThatCannotBeMadeMakesSyncFalseAndKeepsTheValuesForLater) {
    TempDir dir;
    const auto blocked = dir / "岚川工作室";
    std::ofstream(blocked) << "a file where the folder should be";
    QtSettingsStore store(qPath(blocked));
    EXPECT_TRUE(store.write("岚川调音器", "参数", "运行次数", "4"));
    EXPECT_FALSE(store.sync());
    EXPECT_FALSE(store.sync()) << "still not saved";
    EXPECT_EQ(store.read("岚川调音器", "参数", "运行次数", ""), "4");

    std::filesystem::remove(blocked);
    std::filesystem::create_directory(blocked);
    EXPECT_TRUE(store.sync()) << "saved once the folder can be written";
    EXPECT_NE(fileText(store.fileName("岚川调音器")).find("=4"), std::string::npos);
}

TEST(QtSettingsStore, AReadOnlyFolderMakesSyncFalse) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
    TempDir dir;
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    QtSettingsStore store(qPath(dir.path()));
    EXPECT_TRUE(store.write("lctune", "录音窗", "Top", "0"));
    EXPECT_FALSE(store.sync());
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
}
