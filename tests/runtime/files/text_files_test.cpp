#include "runtime/files/text_files.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/runtime/files/scoped_data_home.h"

namespace pcshop::files {
namespace {

using pcshop::testing::ReadBytes;
using pcshop::testing::ScopedDataHome;
using pcshop::testing::WriteBytes;

class TextFilesTest : public ::testing::Test {
 protected:
  // An ASCII native path is also its own GBK text path.
  std::string PathOf(const std::string& name) const { return (home_.root() / name).string(); }

  int32_t Open(const std::string& path, int32_t mode) {
    auto n = files_.OpenTextFile(path, mode, 1);
    EXPECT_TRUE(n.ok()) << n.status().ToString();
    return n.ok() ? *n : 0;
  }

  ScopedDataHome home_;
  TextFiles files_;
};

TEST_F(TextFilesTest, ReplaceModeDropsTheRowsOfALongerOlderFile) {
  const std::string path = PathOf("export.xls");
  WriteBytes(path, "old row one\r\nold row two\r\nold row three\r\n");
  const int32_t n = Open(path, 4);
  ASSERT_GT(n, 0);
  ASSERT_TRUE(files_.SeekFile(n).ok());
  ASSERT_TRUE(files_.WriteTextLine(n, "<table border=\"1\">").ok());
  ASSERT_TRUE(files_.WriteTextLine(n, "</table>").ok());
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(path), "<table border=\"1\">\r\n</table>\r\n");
}

TEST_F(TextFilesTest, GbkTextIsWrittenByteExactlyWithCrLf) {
  const std::string path = PathOf("gbk.txt");
  const int32_t n = Open(path, 4);
  // 配置, a 0x5C trail byte (昞) and an empty line.
  ASSERT_TRUE(files_.WriteTextLine(n, "    <td>\xC5\xE4\xD6\xC3</td>").ok());
  ASSERT_TRUE(files_.WriteTextLine(n, "\x95\x5C").ok());
  ASSERT_TRUE(files_.WriteTextLine(n, "").ok());
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(path), "    <td>\xC5\xE4\xD6\xC3</td>\r\n\x95\x5C\r\n\r\n");
}

TEST_F(TextFilesTest, AppendModeKeepsWhatIsThereAndCreatesMissingFiles) {
  const std::string path = PathOf("log.txt");
  WriteBytes(path, "first\r\n");
  int32_t n = Open(path, 2);
  ASSERT_TRUE(files_.SeekFile(n, SeekOrigin::kStart, 0).ok());  // appends still go to the end
  ASSERT_TRUE(files_.WriteTextLine(n, "second").ok());
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(path), "first\r\nsecond\r\n");

  n = Open(PathOf("new.txt"), 2);
  ASSERT_TRUE(files_.WriteTextLine(n, "x").ok());
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(PathOf("new.txt")), "x\r\n");
}

TEST_F(TextFilesTest, ReadModeReturnsLinesAndSeeksBack) {
  const std::string path = PathOf("in.txt");
  WriteBytes(path, "one\r\ntwo\nlast");
  const int32_t n = Open(path, 1);
  EXPECT_EQ(*files_.ReadTextLine(n), "one");
  EXPECT_EQ(*files_.ReadTextLine(n), "two");
  auto pos = files_.SeekFile(n, SeekOrigin::kCurrent, 0);
  ASSERT_TRUE(pos.ok());
  EXPECT_EQ(*pos, 9);  // after "one\r\ntwo\n", not after the buffered bytes
  EXPECT_EQ(*files_.ReadTextLine(n), "last");
  EXPECT_EQ(files_.ReadTextLine(n).status().message(), "end of text file 1");
  ASSERT_TRUE(files_.SeekFile(n, SeekOrigin::kStart, 0).ok());
  EXPECT_EQ(*files_.ReadTextLine(n), "one");
  EXPECT_EQ(files_.WriteTextLine(n, "x").message(), "text file 1 is open for reading");
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(path), "one\r\ntwo\nlast");
}

TEST_F(TextFilesTest, UnknownModesNumbersAndMissingFilesFailCleanly) {
  auto bad_mode = files_.OpenTextFile(PathOf("a.txt"), 3, 1);
  EXPECT_EQ(bad_mode.status().message(), "unknown text file mode 3");
  EXPECT_EQ(files_.OpenTextFile(PathOf("a.txt"), 0, 1).status().message(),
            "unknown text file mode 0");
  EXPECT_FALSE(std::filesystem::exists(PathOf("a.txt")));
  EXPECT_FALSE(files_.OpenTextFile(PathOf("missing.txt"), 1, 1).ok());
  EXPECT_FALSE(files_.OpenTextFile(PathOf("no/such/folder.txt"), 4, 1).ok());
  EXPECT_FALSE(files_.OpenTextFile(home_.root().string(), 4, 1).ok());  // a folder
  EXPECT_EQ(files_.WriteTextLine(7, "x").message(), "no open text file with number 7");
  EXPECT_FALSE(files_.SeekFile(7).ok());
  EXPECT_FALSE(files_.CloseTextFile(0).ok());
  EXPECT_EQ(files_.open_count(), 0u);
}

TEST_F(TextFilesTest, ANumberIsInvalidAfterCloseAndNeverReused) {
  const int32_t first = Open(PathOf("a.txt"), 4);
  ASSERT_TRUE(files_.CloseTextFile(first).ok());
  EXPECT_EQ(files_.WriteTextLine(first, "late").message(),
            "no open text file with number " + std::to_string(first));
  EXPECT_FALSE(files_.CloseTextFile(first).ok());
  const int32_t second = Open(PathOf("b.txt"), 4);
  EXPECT_NE(second, first);
  EXPECT_FALSE(files_.WriteTextLine(first, "late").ok());
  ASSERT_TRUE(files_.CloseTextFile(second).ok());
  EXPECT_EQ(ReadBytes(PathOf("b.txt")), "");
}

TEST_F(TextFilesTest, ChineseGbkPathLandsAtTheUtf8NameOnDisk) {
  // c:\导出\配置.xls inside the drive folder.
  std::filesystem::create_directories(home_.drive_c() / "导出");
  const int32_t n = Open("c:\\\xB5\xBC\xB3\xF6\\\xC5\xE4\xD6\xC3.xls", 4);
  ASSERT_TRUE(files_.WriteTextLine(n, "row").ok());
  ASSERT_TRUE(files_.CloseTextFile(n).ok());
  EXPECT_EQ(ReadBytes(home_.drive_c() / "导出" / "配置.xls"), "row\r\n");
  EXPECT_TRUE(files_.FileExists("c:\\\xB5\xBC\xB3\xF6\\\xC5\xE4\xD6\xC3.xls"));
}

TEST_F(TextFilesTest, InvalidGbkPathIsRefused) {
  auto n = files_.OpenTextFile(PathOf("bad\xC5"), 4, 1);
  EXPECT_EQ(n.status().message(), "path is not valid GBK");
  EXPECT_FALSE(files_.FileExists(PathOf("bad\xC5")));
  EXPECT_FALSE(files_.FileExists(""));
}

TEST_F(TextFilesTest, FileExistsIsTrueForFilesOnly) {
  WriteBytes(PathOf("f.zdb"), "x");
  EXPECT_TRUE(files_.FileExists(PathOf("f.zdb")));
  EXPECT_FALSE(files_.FileExists(PathOf("g.zdb")));
  EXPECT_FALSE(files_.FileExists(home_.root().string()));
}

TEST_F(TextFilesTest, WriteFailuresAreReportedAtTheWriteAndAgainAtClose) {
  // /dev/full accepts the open and fails every write.
  int32_t n = Open("/dev/full", 4);
  ASSERT_TRUE(files_.WriteTextLine(n, "buffered").ok());
  EXPECT_EQ(files_.CloseTextFile(n).message(),
            "cannot write /dev/full: No space left on device");

  n = Open("/dev/full", 4);
  const std::string big(70 * 1024, 'x');  // more than the buffer holds
  const Status first = files_.WriteTextLine(n, big);
  EXPECT_EQ(first.message(), "cannot write /dev/full: No space left on device");
  EXPECT_EQ(files_.WriteTextLine(n, "more").message(), first.message());
  EXPECT_EQ(files_.CloseTextFile(n).message(), first.message());
  EXPECT_EQ(files_.open_count(), 0u);
}

TEST(TextFilesLifetimeTest, FilesStillOpenAreFlushedAndClosedOnDestruction) {
  ScopedDataHome home;
  const auto path = (home.root() / "left-open.txt").string();
  {
    auto files = std::make_unique<TextFiles>();
    auto n = files->OpenTextFile(path, 4, 1);
    ASSERT_TRUE(n.ok());
    ASSERT_TRUE(files->WriteTextLine(*n, "kept").ok());
  }
  EXPECT_EQ(ReadBytes(path), "kept\r\n");
}

}  // namespace
}  // namespace pcshop::files
