// A file replaced only once complete: the old one survives every failure, and no temporary file is
// left behind.

#include "platform/ReplacingFile.h"

#include "support/TestSupport.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lctune;
using namespace lctune::test;
namespace fs = std::filesystem;

TEST(ReplacingFile, ReplacesOnlyOnCommitAndLeavesNothingBehind) {
    TempDir dir;
    const std::string path = (dir / "图.svg").string();
    std::ofstream(path) << "old";
    {
        ReplacingFile file;
        ASSERT_TRUE(file.open(path)) << file.error();
        EXPECT_TRUE(file.write("new "));
        EXPECT_TRUE(file.write("picture"));
        EXPECT_EQ(slurp(path), "old"); // not yet
    }
    EXPECT_EQ(slurp(path), "old"); // dropped without commit
    {
        ReplacingFile file;
        ASSERT_TRUE(file.open(path));
        file.write("new picture");
        ASSERT_TRUE(file.commit()) << file.error();
    }
    EXPECT_EQ(slurp(path), "new picture");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

    ReplacingFile file;
    EXPECT_FALSE(file.open(dir.path().string()));
    EXPECT_EQ(file.error(), dir.path().string() + ": is a folder");
    EXPECT_FALSE(file.open((dir / "missing" / "x.svg").string()));
    EXPECT_NE(file.error().find("No such file or directory"), std::string::npos) << file.error();
    EXPECT_FALSE(file.write("x"));
    EXPECT_FALSE(file.commit());
}

TEST(ReplacingFile, AFullDiskKeepsTheOldFile) {
    SmallDisk disk;
    if (!disk.mounted()) GTEST_SKIP() << disk.why();
    const std::string path = (disk / "plot.svg").string();
    std::ofstream(path) << "old";
    disk.fill();
    ReplacingFile file;
    if (file.open(path)) {
        file.write(std::string(1 << 20, 'x'));
        EXPECT_FALSE(file.commit());
        EXPECT_NE(file.error().find("No space left"), std::string::npos) << file.error();
    }
    EXPECT_EQ(slurp(path), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(disk / ""), fs::directory_iterator()), 2); // old + filler
}
