#include "runtime/files/whole_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/runtime/files/scoped_data_home.h"

namespace pcshop::files {
namespace {

namespace fs = std::filesystem;
using pcshop::testing::ReadBytes;
using pcshop::testing::ScopedDataHome;
using pcshop::testing::WriteBytes;

size_t EntriesIn(const fs::path& folder) {
  size_t n = 0;
  for (const auto& e : fs::directory_iterator(folder)) n += e.is_regular_file() ? 1 : 0;
  return n;
}

TEST(WholeFileTest, ReplacesTheTargetAndLeavesNoTemporaryFile) {
  ScopedDataHome home;
  const fs::path target = home.root() / "quote.pdf";
  WriteBytes(target.string(), "an older and longer content");
  ASSERT_TRUE(WriteFileAtomically(target, "new").ok());
  EXPECT_EQ(ReadBytes(target.string()), "new");
  EXPECT_EQ(EntriesIn(home.root()), 1u);
}

TEST(WholeFileTest, AFailingWriterKeepsTheOldFileAndRemovesItsTemporary) {
  ScopedDataHome home;
  const fs::path target = home.root() / "list.xlsx";
  WriteBytes(target.string(), "the old workbook");
  const Status s = WriteFileThrough(target, [](const fs::path& temp) {
    WriteBytes(temp.string(), "half a work");
    return Status::IOError("disk full");
  });
  EXPECT_FALSE(s.ok());
  EXPECT_EQ(s.message(), "disk full");
  EXPECT_EQ(ReadBytes(target.string()), "the old workbook");
  EXPECT_EQ(EntriesIn(home.root()), 1u);
}

TEST(WholeFileTest, AMissingFolderIsAnErrorNotACrash) {
  ScopedDataHome home;
  const fs::path target = home.root() / "no such folder" / "quote.png";
  EXPECT_FALSE(WriteFileAtomically(target, "png").ok());
  EXPECT_FALSE(fs::exists(target));
  // A file where the folder should be.
  WriteBytes((home.root() / "plain").string(), "x");
  EXPECT_FALSE(WriteFileAtomically(home.root() / "plain" / "quote.png", "png").ok());
}

}  // namespace
}  // namespace pcshop::files
