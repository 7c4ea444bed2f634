// A data folder that cannot be written: a read-only mount, immutable files,
// or a user without write permission. Every table that can be read opens
// read-only and shows its records; every write fails with a message that
// says why, and no byte of the folder changes.

#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/child_process.h"
#include "tests/runtime/tables/immutable_folder.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"

namespace pcshop::tables {
namespace {

namespace fs = std::filesystem;
using testing::Drain;
using testing::Gbk;
using testing::Hang;
using testing::ImmutableFolder;
using testing::ProductLayout;
using testing::ReadBytes;
using testing::ReadLines;
using testing::Say;
using testing::Spawn;
using testing::TestFolder;
using testing::Wait;

// A child's exit code for "this way of making the folder read-only is not
// available here".
constexpr int kUnavailable = 77;

enum class Way { kReadOnlyMount, kImmutableFiles, kNoWritePermission };

std::string Name(Way way) {
  switch (way) {
    case Way::kReadOnlyMount: return "ReadOnlyMount";
    case Way::kImmutableFiles: return "ImmutableFiles";
    case Way::kNoWritePermission: return "NoWritePermission";
  }
  return "?";
}

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    files[entry.path().filename().string()] = ReadBytes(entry.path());
  }
  return files;
}

// In the child: makes `dir` read-only the way asked for, or exits with
// kUnavailable and says why.
void MakeReadOnlyInChild(Way way, const fs::path& dir, int out) {
  if (way == Way::kReadOnlyMount) {
    // A private mount namespace: the read-only bind lives and dies with the
    // child.
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, dir.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
      Say(out, "no read-only bind mount: needs CAP_SYS_ADMIN");
      ::_exit(kUnavailable);
    }
  }
  if (way == Way::kNoWritePermission && ::geteuid() == 0) {
    // Root writes whatever the mode bits say: become nobody.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
      Say(out, "cannot drop to an unprivileged user");
      ::_exit(kUnavailable);
    }
  }
  if (::access(dir.c_str(), W_OK) == 0) {
    Say(out, "the folder is still writable");
    ::_exit(kUnavailable);
  }
}

class TableReadOnlyTest : public ::testing::TestWithParam<Way> {
 protected:
  void SetUp() override {
    ASSERT_EQ(::chmod(folder_.dir().c_str(), 0755), 0);  // reachable for another user
    // A table closed cleanly: no log beside it.
    {
      TableStore s;
      ASSERT_TRUE(s.CreateTable(folder_.Text("CPU.zdb"), ProductLayout()).ok());
      ASSERT_TRUE(s.OpenTable(folder_.Text("CPU.zdb"), "CPU").ok());
      for (int32_t i = 1; i <= 3; ++i) {
        ASSERT_TRUE(
            s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "b", "m" + std::to_string(i), i})
                .ok());
      }
    }
    // A table never opened since it was created.
    {
      TableStore s;
      ASSERT_TRUE(s.CreateTable(folder_.Text("内存.zdb"), ProductLayout()).ok());
    }
    // A table whose writer was killed: its last writes are still in the log.
    {
      TableStore s;
      ASSERT_TRUE(s.CreateTable(folder_.Text("显卡.zdb"), ProductLayout()).ok());
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = Spawn(fds[1], [&](int out) {
      ::close(fds[0]);
      TableStore s;
      if (!s.OpenTable(folder_.Text("显卡.zdb"), "g").ok()) return 1;
      for (int32_t i = 1; i <= 2; ++i) {
        if (!s.AppendRecord(std::vector<FieldValue>{Gbk("显卡"), "n", "g" + std::to_string(i), i})
                 .ok()) {
          return 2;
        }
      }
      Say(out, "written");
      Hang();
    });
    ::close(fds[1]);
    ASSERT_EQ(ReadLines(fds[0], 1), "written\n");
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL);
    ::close(fds[0]);
    ASSERT_TRUE(fs::exists(folder_.Native("显卡.zdb-wal")));
    for (const auto& entry : fs::directory_iterator(folder_.dir())) {
      fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read | fs::perms::others_read);
    }
  }

  TestFolder folder_;
};

// Checks one table in the child; every failed check is a line on `out`.
void CheckTable(int out, TableStore& s, const std::string& path, const std::string& alias,
                const std::vector<std::string>& models) {
  auto fail = [&](const std::string& what) { Say(out, alias + ": " + what); };
  const Status opened = s.OpenTable(path, alias);
  if (!opened.ok()) return fail("does not open: " + opened.message());
  const Result<int32_t> count = s.RecordCount();
  if (!count.ok() || *count != static_cast<int32_t>(models.size())) {
    return fail("holds " + (count.ok() ? std::to_string(*count) : count.status().message()) +
                " records, expected " + std::to_string(models.size()));
  }
  for (size_t i = 0; i < models.size(); ++i) {
    if (!s.GoToRecord(static_cast<int64_t>(i) + 1).ok()) return fail("cannot go to a record");
    const Result<FieldValue> model = s.ReadField(Gbk("型号"));
    if (!model.ok() || *model != FieldValue(models[i])) return fail("record " + models[i]);
  }
  if (!s.GoFirst().ok()) return fail("GoFirst");
  // Every write fails, and says why.
  const std::vector<FieldValue> record = {Gbk("CPU"), "new", "n1", 1};
  const std::vector<std::string> key = {Gbk("型号")};
  const Result<bool> unique = s.AppendUniqueRecord(record, key);
  const std::vector<std::pair<std::string, Status>> writes = {
      {"AppendRecord", s.AppendRecord(record)},
      {"AppendUniqueRecord", unique.ok() ? Status::Ok() : unique.status()},
      {"ModifyRecord", models.empty() ? Status::IOError("read-only")
                                      : s.ModifyRecord(std::vector<OptionalValue>{Gbk("x")})},
      {"DeleteRecord", models.empty() ? Status::IOError("read-only") : s.DeleteRecord()},
      {"PurgeDeleted", s.PurgeDeleted()},
      {"RemoveRecord", models.empty() ? Status::IOError("read-only") : s.RemoveRecord()}};
  for (const auto& [name, status] : writes) {
    if (status.ok()) {
      fail(name + " succeeded");
    } else if (status.message().find("read-only") == std::string::npos) {
      fail(name + " failed without saying the table is read-only: " + status.message());
    }
  }
  const Result<int32_t> after = s.RecordCount();
  if (!after.ok() || *after != static_cast<int32_t>(models.size())) fail("count changed");
}

TEST_P(TableReadOnlyTest, OpensWhatCanBeReadAndEveryWriteFailsWithItsMessage) {
  const Way way = GetParam();
  std::unique_ptr<ImmutableFolder> immutable;
  if (way == Way::kImmutableFiles) {
    immutable = std::make_unique<ImmutableFolder>(folder_.dir());
    if (!immutable->ok()) {
      GTEST_SKIP() << "no immutable files here (needs CAP_LINUX_IMMUTABLE and a file system "
                      "that has the flag)";
    }
  }
  const auto before = Snapshot(folder_.dir());
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = Spawn(fds[1], [&](int out) {
    ::close(fds[0]);
    MakeReadOnlyInChild(way, folder_.dir(), out);
    TableStore s;
    CheckTable(out, s, folder_.Text("CPU.zdb"), "CPU", {"m1", "m2", "m3"});
    CheckTable(out, s, folder_.Text("显卡.zdb"), "g", {"g1", "g2"});
    CheckTable(out, s, folder_.Text("内存.zdb"), "mem", {});
    // A missing table cannot be made; it is refused, and nothing appears.
    if (s.CreateTable(folder_.Text("主板.zdb"), ProductLayout()).ok()) {
      Say(out, "CreateTable succeeded in a read-only folder");
    }
    return 0;
  });
  ::close(fds[1]);
  const std::string said = Drain(fds[0]);
  const int code = Wait(pid);
  if (code == kUnavailable) GTEST_SKIP() << Name(way) << " is not available here: " << said;
  EXPECT_EQ(code, 0);
  EXPECT_EQ(said, "");
  immutable.reset();
  EXPECT_TRUE(Snapshot(folder_.dir()) == before) << "the read-only folder changed";
}

INSTANTIATE_TEST_SUITE_P(EveryWay, TableReadOnlyTest,
                         ::testing::Values(Way::kReadOnlyMount, Way::kImmutableFiles,
                                           Way::kNoWritePermission),
                         [](const ::testing::TestParamInfo<Way>& param) { return Name(param.param); });

}  // namespace
}  // namespace pcshop::tables
