// Backups and restores of every table, on files and on the server: what a
// restore gives back, what a damaged backup does, a backup taken while
// another process writes, a backup killed half-way, a restore cut short.

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "runtime/tables/backup_manifest.h"
#include "runtime/tables/table_backup.h"
#include "runtime/tables/table_restore.h"
#include "tests/runtime/tables/child_process.h"
#include "tests/runtime/tables/table_backends.h"
#include "tools/servercopy/file_tables.h"

namespace pcshop::tables::testing {
namespace {

namespace fs = std::filesystem;

using Records = std::map<std::string, std::vector<servercopy::CopyRecord>>;

// Every record of every table file in `data`, ids and marks too.
Records ReadAll(const fs::path& data) {
  Records out;
  auto files = servercopy::ListTableFiles(data);
  EXPECT_TRUE(files.ok()) << files.status().message();
  if (!files.ok()) return out;
  for (const fs::path& f : *files) {
    auto fields = servercopy::CheckTableFile(f);
    EXPECT_TRUE(fields.ok()) << fields.status().message();
    if (!fields.ok()) continue;
    auto reader = servercopy::FileRecordReader::Open(f, fields->size());
    EXPECT_TRUE(reader.ok());
    if (!reader.ok()) continue;
    servercopy::CopyRecord r;
    auto& rows = out[f.filename().string()];
    while (true) {
      auto more = (*reader)->Next(r);
      if (!more.ok() || !*more) break;
      rows.push_back(r);
    }
  }
  return out;
}

class BackupTest : public BackendTest {
 protected:
  void SetUp() override {
    BackendTest::SetUp();
    if (IsSkipped()) return;
    fs::create_directories(folder_.Native("DATA"));
    store_ = NewStore();
    for (const char* name : {"CPU", "显卡", "入库"}) {
      const std::string path = folder_.Text(std::string("DATA\\") + name + ".zdb");
      ASSERT_TRUE(store_->CreateTable(path, ProductLayout()).ok());
      ASSERT_TRUE(store_->OpenTable(path, Gbk(name)).ok());
    }
  }
  BackupSource Source() const {
    return {folder_.Native("DATA"), server() ? schema_->conninfo() : std::string()};
  }
  void Append(const char* table, const std::string& model, int64_t price) {
    ASSERT_TRUE(store_->SelectTable(Gbk(table)).ok());
    const std::vector<FieldValue> values = {Gbk(table), Gbk("品牌"), Gbk(model), price, ""};
    ASSERT_TRUE(store_->AppendRecord(values).ok());
  }
  int32_t Count(const char* table) {
    EXPECT_TRUE(store_->SelectTable(Gbk(table)).ok());
    const Result<int32_t> n = store_->RecordCount();
    return n.ok() ? *n : -1;
  }
  Status Restore(const fs::path& backup) {
    return store_->ReopenAround([&] {
      return server() ? RestoreIntoServer(backup, schema_->conninfo())
                      : RestoreIntoFiles(backup, folder_.Native("DATA"));
    });
  }

  std::unique_ptr<TableStore> store_;
};

TEST_P(BackupTest, RestoreGivesBackEveryRecordAndReplacesEveryTableTogether) {
  Append("CPU", "i5-12400F 盒装", 899);
  Append("显卡", "RTX 4060", 2399);
  ASSERT_TRUE(store_->DeleteRecord().ok());  // a delete mark travels too
  const fs::path backup = folder_.Native("备份/one");
  auto made = MakeBackup(Source(), backup, "2026-12-10 08.15.03", "手动");
  ASSERT_TRUE(made.ok()) << made.status().message();
  const Records at_backup = ReadAll(backup / "DATA");
  ASSERT_EQ(at_backup.size(), 3u);

  Append("CPU", "added later", 1);
  Append("入库", "added later", 2);
  ASSERT_TRUE(Restore(backup).ok());
  EXPECT_EQ(Count("CPU"), 1);
  EXPECT_EQ(Count("入库"), 0);
  EXPECT_EQ(Count("显卡"), 1);
  ASSERT_TRUE(store_->GoFirst().ok());
  const Result<bool> marked = store_->IsDeleted();
  EXPECT_TRUE(marked.ok() && *marked);
  if (!server()) {
    EXPECT_EQ(ReadAll(folder_.Native("DATA")), at_backup);
  } else {
    // The server's tables come back out as they went in: a backup of the
    // restored server equals the one restored (and restores into files).
    const fs::path again = folder_.Native("备份/two");
    ASSERT_TRUE(MakeBackup(Source(), again, "w", "r").ok());
    EXPECT_EQ(ReadAll(again / "DATA"), at_backup);
    fs::create_directories(folder_.Native("files/DATA"));
    ASSERT_TRUE(RestoreIntoFiles(backup, folder_.Native("files/DATA")).ok());
    EXPECT_EQ(ReadAll(folder_.Native("files/DATA")), at_backup);
  }
}

TEST_P(BackupTest, DamagedBackupIsNamedAndNothingIsReplaced) {
  Append("CPU", "kept", 1);
  const fs::path backup = folder_.Native("备份/one");
  ASSERT_TRUE(MakeBackup(Source(), backup, "w", "r").ok());
  Append("CPU", "kept too", 2);
  struct Damage {
    const char* what;
    std::function<void(const fs::path&)> apply;
    const char* named;
  };
  const std::vector<Damage> damages = {
      {"pages overwritten",
       [](const fs::path& b) {
         std::string bytes = ReadBytes(b / "DATA/CPU.zdb");
         for (size_t i = 1024; i < bytes.size(); ++i) bytes[i] = '\x5a';
         WriteBytes(b / "DATA/CPU.zdb", bytes);
       },
       "CPU.zdb"},
      {"not a table", [](const fs::path& b) { WriteBytes(b / "DATA/CPU.zdb", "hello"); },
       "CPU.zdb"},
      {"a table file missing", [](const fs::path& b) { fs::remove(b / "DATA/CPU.zdb"); },
       "DATA"},
      {"no manifest", [](const fs::path& b) { fs::remove(b / kManifestFile); }, "manifest"},
  };
  for (const Damage& d : damages) {
    const fs::path copy = folder_.Native(std::string("备份/") + d.what);
    fs::copy(backup, copy, fs::copy_options::recursive);
    d.apply(copy);
    const Status s = Restore(copy);
    EXPECT_FALSE(s.ok()) << d.what;
    EXPECT_NE(s.message().find(d.named), std::string::npos) << d.what << ": " << s.message();
    EXPECT_EQ(Count("CPU"), 2) << d.what;
  }
}

PCSHOP_ON_BOTH_BACKENDS(BackupTest);

class FileBackupTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(folder_.Native("DATA")); }
  std::string Table(const char* name) const {
    return folder_.Text(std::string("DATA\\") + name + ".zdb");
  }
  void Make(TableStore& store, const char* name) {
    ASSERT_TRUE(store.CreateTable(Table(name), ProductLayout()).ok());
    ASSERT_TRUE(store.OpenTable(Table(name), Gbk(name)).ok());
  }
  TestFolder folder_;
};

// Another counter writes batches of ten records into two tables while the
// backup runs: every copy is whole and holds whole batches.
TEST_F(FileBackupTest, BackupOfTablesBeingWrittenElsewhereIsConsistent) {
  {
    TableStore store;
    Make(store, "CPU");
    Make(store, "入库");
  }
  int pipe_fds[2];
  ASSERT_EQ(::pipe(pipe_fds), 0);
  const pid_t child = Spawn(pipe_fds[1], [&](int out) {
    TableStore store;
    if (!store.OpenTable(Table("CPU"), "a").ok() || !store.OpenTable(Table("入库"), "b").ok()) {
      return 2;
    }
    Say(out, "ready");
    std::vector<std::vector<FieldValue>> batch(10, {std::string("x"), "", "", int64_t{1}, ""});
    for (;;) {
      for (const char* alias : {"a", "b"}) {
        if (!store.SelectTable(alias).ok() || !store.AppendRecords(batch).ok()) return 3;
      }
    }
  });
  ::close(pipe_fds[1]);
  ASSERT_EQ(ReadLines(pipe_fds[0], 1), "ready\n");
  for (int i = 0; i < 5; ++i) {
    const fs::path backup = folder_.Native("备份/" + std::to_string(i));
    auto made = MakeBackup({folder_.Native("DATA"), ""}, backup, "w", "r");
    ASSERT_TRUE(made.ok()) << made.status().message();
    ASSERT_TRUE(CheckBackup(backup).ok());
    for (const BackupTable& t : made->tables) EXPECT_EQ(t.records % 10, 0) << t.file;
  }
  ::kill(child, SIGKILL);
  Wait(child);
  ::close(pipe_fds[0]);
}

// A backup killed at any moment leaves nothing that looks finished: a
// folder under its own name is whole.
TEST_F(FileBackupTest, KillDuringBackupLeavesNoFolderThatLooksComplete) {
  {
    TableStore store;
    for (const char* name : {"CPU", "显卡", "主板", "内存"}) {
      Make(store, name);
      std::vector<std::vector<FieldValue>> rows(3000, {std::string(200, 'x'), "", "", int64_t{1}, ""});
      ASSERT_TRUE(store.AppendRecords(rows).ok());
    }
  }
  const fs::path parent = folder_.Native("备份");
  for (int delay_us : {0, 2000, 5000, 10000, 20000, 40000}) {
    const pid_t child = Spawn(-1, [&](int) {
      auto made = MakeBackup({folder_.Native("DATA"), ""}, parent / std::to_string(delay_us), "w", "r");
      return made.ok() ? 0 : 1;
    });
    ::usleep(static_cast<useconds_t>(delay_us));
    ::kill(child, SIGKILL);
    Wait(child);
  }
  auto listed = ListBackups(parent);
  ASSERT_TRUE(listed.ok());
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(parent, ec)) {
    const std::string name = entry.path().filename().string();
    if (name[0] == '.') continue;  // hidden: never taken for a backup
    EXPECT_TRUE(CheckBackup(entry.path()).ok()) << name;
  }
  // The next backup clears what the killed ones left.
  ASSERT_TRUE(MakeBackup({folder_.Native("DATA"), ""}, parent / "next", "w", "r").ok());
  for (const auto& entry : fs::directory_iterator(parent, ec)) {
    EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
  }
}

// Two copies started in the same second back up under one name: one backup
// is made whole, the other copy is told the name is taken, and neither
// spoils the other's half-made folder.
TEST_F(FileBackupTest, TwoCopiesBackingUpUnderOneNameNeitherSpoilsTheOther) {
  {
    TableStore store;
    for (const char* name : {"CPU", "显卡"}) {
      Make(store, name);
      std::vector<std::vector<FieldValue>> rows(2000, {std::string(200, 'x'), "", "", int64_t{1}, ""});
      ASSERT_TRUE(store.AppendRecords(rows).ok());
    }
  }
  for (int round = 0; round < 3; ++round) {
    const fs::path target = folder_.Native("备份/" + std::to_string(round));
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const pid_t child = Spawn(pipe_fds[1], [&](int out) {
      Say(out, "go");
      auto made = MakeBackup({folder_.Native("DATA"), ""}, target, "w", "r");
      return made.ok() || made.status().message().find("exists already") != std::string::npos ? 0 : 1;
    });
    ::close(pipe_fds[1]);
    ASSERT_EQ(ReadLines(pipe_fds[0], 1), "go\n");
    auto made = MakeBackup({folder_.Native("DATA"), ""}, target, "w", "r");
    if (!made.ok()) {
      EXPECT_NE(made.status().message().find("exists already"), std::string::npos);
    }
    EXPECT_EQ(Wait(child), 0);
    ::close(pipe_fds[0]);
    EXPECT_TRUE(CheckBackup(target).ok()) << round;
  }
}

// A restore cut short at each step: start-up recovery leaves one whole set.
TEST_F(FileBackupTest, RestoreCutShortLeavesTheOldOrTheNewSet) {
  struct Case {
    std::vector<const char*> folders;  // present, each holding a marker naming its set
    const char* expected;              // the set DATA holds afterwards
  };
  const std::vector<Case> cases = {
      {{"DATA", "DATA.restore-partial"}, "DATA"},
      {{"DATA", "DATA.restore"}, "DATA.restore"},
      {{"DATA.old", "DATA.restore"}, "DATA.restore"},
      {{"DATA", "DATA.old"}, "DATA"},
  };
  for (const Case& c : cases) {
    TestFolder f;
    for (const char* folder : c.folders) {
      fs::create_directories(f.Native(folder));
      WriteBytes(f.Native(folder) / "set", folder);
    }
    ASSERT_TRUE(RecoverDataFolder(f.Native("DATA")).ok());
    EXPECT_EQ(ReadBytes(f.Native("DATA/set")), c.expected);
    for (const char* left : {"DATA.old", "DATA.restore", "DATA.restore-partial"}) {
      EXPECT_FALSE(fs::exists(f.Native(left))) << left;
    }
  }
}

}  // namespace
}  // namespace pcshop::tables::testing
