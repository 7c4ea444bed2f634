// Crash safety for real: writers killed at random moments, two copies writing
// at once, and writes failing for lack of space. Every acknowledged write must
// survive and the file must stay sound.

#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
#include "tests/runtime/tables/child_process.h"
#include "tests/runtime/tables/table_backends.h"
#include "tests/runtime/tables/table_layouts.h"
#include "tests/runtime/tables/table_test_folder.h"

namespace pcshop::tables {
namespace {

using testing::Drain;
using testing::Gbk;
using testing::Hang;
using testing::IntegrityCheck;
using testing::ReadLines;
using testing::Say;
using testing::Spawn;
using testing::Wait;
using testing::ProductLayout;
using testing::TestFolder;

// The crash and concurrency cases that hold for every backend.
class TableCrashTest : public testing::BackendTest {
 protected:
  // SQLite's own check of the file; a server keeps its own.
  std::string Soundness(std::string_view file) const {
    return server() ? std::string("ok") : IntegrityCheck(folder_.Native(file));
  }
  void FillProducts(const std::string& path, int32_t count) const;
  void TwoCopiesAddTheSameKey(const std::vector<FieldSpec>& layout,
                              const std::vector<FieldValue>& record,
                              const std::vector<std::string>& key_fields);
};

PCSHOP_ON_BOTH_BACKENDS(TableCrashTest);

// The cases that are about files alone.
class TableFileCrashTest : public ::testing::Test {};

int64_t Price(TableStore& s) { return std::get<int64_t>(*s.ReadField(Gbk("价格"))); }
std::string Field(TableStore& s, std::string_view f) {
  return std::get<std::string>(*s.ReadField(Gbk(f)));
}

TEST_P(TableCrashTest, KilledWriterLosesNoAcknowledgedWrite) {
  TestFolder& folder = folder_;
  const std::string path = folder.Text("CPU.zdb");
  {
    auto s_owner = NewStore();
    TableStore& s = *s_owner;
    ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
    ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
    // Record 1 is a counter that every loop raises; the rest are appended.
    ASSERT_TRUE(s.AppendRecord(std::vector<FieldValue>{Gbk("计数")}).ok());
  }
  const std::string filler(700, 'f');  // a few records fill a page
  std::mt19937 gen(20240531);
  int32_t records = 1;  // as found after the last round
  int32_t counter = 0;
  int acknowledged = 0;
  for (int round = 0; round < 30; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string fresh = "new" + std::to_string(round) + ".zdb";
    const pid_t pid = Spawn(fds[1], [&, this](int out) {
      ::close(fds[0]);
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      (void)s.CreateTable(folder.Text(fresh), ProductLayout());  // may be cut short too
      if (!s.OpenTable(path, "CPU").ok()) return 3;
      for (;;) {
        const int32_t n = *s.RecordCount() + 1;
        const std::vector<FieldValue> rec = {Gbk("CPU"), filler, "m" + std::to_string(n), n};
        if (!s.AppendRecord(rec).ok()) return 4;
        Say(out, "A " + std::to_string(n));
        if (!s.GoFirst().ok()) return 5;
        const int32_t c = Price(s) + 1;
        if (!s.ModifyRecord(std::vector<OptionalValue>{std::nullopt, std::nullopt, std::nullopt, c})
                 .ok()) {
          return 6;
        }
        Say(out, "M " + std::to_string(c));
      }
    });
    ::close(fds[1]);
    // Kill after a random number of acknowledged writes (none: during the
    // creation or the opening) and a random moment more, whatever the speed
    // of the disk.
    std::string log = ReadLines(fds[0], std::uniform_int_distribution<size_t>(0, 5)(gen));
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 5000)(gen));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL) << "the writer stopped on its own in round " << round;
    log += Drain(fds[0]);

    int32_t acked_records = records;
    int32_t acked_counter = counter;
    std::istringstream acks(log);
    std::string kind;
    int32_t value = 0;
    while (acks >> kind >> value) {
      ++acknowledged;
      (kind == "A" ? acked_records : acked_counter) = value;
    }

    ASSERT_EQ(Soundness("CPU.zdb"), "ok") << "round " << round;
    auto s_owner = NewStore();
    TableStore& s = *s_owner;
    ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
    const int32_t n = *s.RecordCount();
    // Everything acknowledged is there; at most the one write in flight more.
    ASSERT_GE(n, acked_records) << "round " << round;
    ASSERT_LE(n, acked_records + 1) << "round " << round;
    ASSERT_TRUE(s.GoFirst().ok());
    const int32_t c = Price(s);
    ASSERT_GE(c, acked_counter) << "round " << round;
    ASSERT_LE(c, acked_counter + 1) << "round " << round;
    for (int32_t i = 2; i <= n; ++i) {
      ASSERT_TRUE(s.GoToRecord(i).ok());
      ASSERT_EQ(Price(s), i);
      ASSERT_EQ(Field(s, "型号"), "m" + std::to_string(i));
      ASSERT_EQ(Field(s, "品牌"), filler);
    }
    records = n;
    counter = c;
    // A table cut short while being created is either absent or whole.
    auto t_owner = NewStore();
    TableStore& t = *t_owner;
    const Status opened = t.OpenTable(folder.Text(fresh), "new");
    if (opened.code() != Status::Code::kNotFound) {
      ASSERT_TRUE(opened.ok()) << fresh << ": " << opened.ToString();
      EXPECT_EQ(*t.Fields(), ProductLayout());
    }
  }
  EXPECT_GT(acknowledged, 30);
}

TEST(TableFileCrashTest, TwoCopiesOpeningANewTableAtOnceBothOpenIt) {
  // The first open of a new table switches it to the write-ahead log; of two
  // copies doing that together, one used to be refused as locked.
  TestFolder folder;
  for (int round = 0; round < 40; ++round) {
    const std::string path = folder.Text("t" + std::to_string(round) + ".zdb");
    {
      TableStore s;
      ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    auto opener = [&](int) {
      char c = 0;
      if (::read(go[0], &c, 1) != 1) return 4;
      TableStore s;
      return s.OpenTable(path, "CPU").ok() ? 0 : 1;
    };
    const pid_t a = Spawn(-1, opener);
    const pid_t b = Spawn(-1, opener);
    ::close(go[0]);
    ASSERT_EQ(::write(go[1], "ab", 2), 2);  // both start at once
    ::close(go[1]);
    EXPECT_EQ(Wait(a), 0) << "round " << round;
    EXPECT_EQ(Wait(b), 0) << "round " << round;
  }
}

TEST_P(TableCrashTest, TwoCopiesAppendingAtOnceLoseNothing) {
  TestFolder& folder = folder_;
  const std::string path = folder.Text("CPU.zdb");
  {
    auto s_owner = NewStore();
    TableStore& s = *s_owner;
    ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
  }
  constexpr int kEach = 150;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  auto writer = [&](const std::string& tag) {
    return [&, tag, this](int) {
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      if (!s.OpenTable(path, "CPU").ok()) return 1;
      char c = 0;
      if (::read(go[0], &c, 1) != 1) return 4;  // both start at once
      for (int i = 0; i < kEach; ++i) {
        if (!s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), tag, std::string(), i}).ok()) {
          return 2;
        }
        // The other copy's appends must show in this copy's numbering.
        if (!s.GoToRecord(*s.RecordCount()).ok() || !s.ReadField(Gbk("价格")).ok()) return 3;
      }
      return 0;
    };
  };
  const pid_t a = Spawn(-1, writer("a"));
  const pid_t b = Spawn(-1, writer("b"));
  ::close(go[0]);
  ASSERT_EQ(::write(go[1], "ab", 2), 2);
  ::close(go[1]);
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);

  EXPECT_EQ(Soundness("CPU.zdb"), "ok");
  auto s_owner = NewStore();
  TableStore& s = *s_owner;
  ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
  ASSERT_EQ(*s.RecordCount(), 2 * kEach);
  int next_a = 0;
  int next_b = 0;
  for (int32_t i = 1; i <= 2 * kEach; ++i) {
    ASSERT_TRUE(s.GoToRecord(i).ok());
    int& next = Field(s, "品牌") == "a" ? next_a : next_b;
    ASSERT_EQ(Price(s), next++);  // each copy's records in its own order
  }
}

TEST(TableFileCrashTest, WritesFailingForLackOfSpaceAreReportedAndChangeNothing) {
  TestFolder folder;
  const std::string path = folder.Text("CPU.zdb");
  int32_t expected = 20;
  {
    TableStore s;
    ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
    ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
    for (int32_t i = 1; i <= expected; ++i) {
      ASSERT_TRUE(s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), std::string(), "m", i}).ok());
    }
  }
  const std::string big(3000, 'x');
  int failures = 0;
  int successes = 0;
  // Each child may grow no file beyond `limit` bytes: every write that needs
  // more fails with EFBIG, at a different step of the write each time.
  for (rlim_t limit = 0; successes < 3 && limit < (1u << 20); limit += 2048) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = Spawn(fds[1], [&](int out) {
      ::close(fds[0]);
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit r = {limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &r);
      TableStore s;
      Status st = s.OpenTable(path, "CPU");
      if (st.ok()) {
        st = s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), big, big, expected + 1, big});
      }
      Say(out, st.message());
      return st.ok() ? 0 : 1;
    });
    ::close(fds[1]);
    const std::string message = Drain(fds[0]);
    const int code = Wait(pid);
    ASSERT_TRUE(code == 0 || code == 1) << "limit " << limit << ": child ended with " << code;
    if (code == 1) {
      ++failures;
      EXPECT_EQ(message.rfind(folder.Native("CPU.zdb").string() + ": ", 0), 0u) << message;
    } else {
      ++successes;
      ++expected;
    }
    ASSERT_EQ(IntegrityCheck(folder.Native("CPU.zdb")), "ok") << "limit " << limit;
    TableStore s;
    ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
    ASSERT_EQ(*s.RecordCount(), expected) << "limit " << limit << ": " << message;
    ASSERT_TRUE(s.GoToRecord(expected).ok());
    ASSERT_EQ(Price(s), expected);
  }
  EXPECT_GT(failures, 5);
  EXPECT_EQ(successes, 3);
}

std::vector<std::string> Models(TableStore& s) {
  std::vector<std::string> out;
  const int32_t n = *s.RecordCount();
  for (int32_t i = 1; i <= n; ++i) {
    EXPECT_TRUE(s.GoToRecord(i).ok());
    out.push_back(Field(s, "型号"));
  }
  return out;
}

// A table of products m1 .. m<count>, price i for mi.
void TableCrashTest::FillProducts(const std::string& path, int32_t count) const {
  auto s_owner = NewStore();
  TableStore& s = *s_owner;
  ASSERT_TRUE(s.CreateTable(path, ProductLayout()).ok());
  ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
  for (int32_t i = 1; i <= count; ++i) {
    ASSERT_TRUE(s.AppendRecord(std::vector<FieldValue>{Gbk("CPU"), "b", "m" + std::to_string(i), i})
                    .ok());
  }
}

TEST_P(TableCrashTest, ADeleteKilledAfterItsMarkNeverTakesARecordTheUserKeptWorkingWith) {
  TestFolder& folder = folder_;
  const std::string path = folder.Text("CPU.zdb");
  FillProducts(path, 4);
  // A delete done in two writes, the mark and then the purge, killed between
  // them: first on m2, then on m3.
  for (int32_t n : {2, 3}) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = Spawn(fds[1], [&, this](int out) {
      ::close(fds[0]);
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      if (!s.OpenTable(path, "CPU").ok() || !s.GoToRecord(n).ok() || !s.DeleteRecord().ok()) {
        return 1;
      }
      Say(out, "marked");
      Hang();
    });
    ::close(fds[1]);
    ASSERT_EQ(ReadLines(fds[0], 1), "marked\n");
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL);
    ::close(fds[0]);
  }

  auto s_owner = NewStore();
  TableStore& s = *s_owner;
  ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
  EXPECT_EQ(Models(s), (std::vector<std::string>{"m1", "m2", "m3", "m4"}));  // still listed
  // The user picks m2 and changes its price: a record kept in use.
  ASSERT_TRUE(s.GoToRecord(2).ok());
  ASSERT_TRUE(s.ModifyRecord(std::vector<OptionalValue>{std::nullopt, std::nullopt, std::nullopt,
                                                        int32_t{222}})
                  .ok());
  EXPECT_FALSE(*s.IsDeleted());
  // Then deletes m1 as the application does: exactly m1 goes, m3's stale
  // mark does not ride along.
  ASSERT_TRUE(s.GoToRecord(1).ok());
  ASSERT_TRUE(s.RemoveRecord().ok());
  EXPECT_EQ(Models(s), (std::vector<std::string>{"m2", "m3", "m4"}));
  // Even the two-step delete, which purges every mark, leaves m2: the
  // modification took its mark away. m3, marked and never written again,
  // is the purge's like any record marked on purpose.
  ASSERT_TRUE(s.GoToRecord(3).ok());
  ASSERT_TRUE(s.DeleteRecord().ok());
  ASSERT_TRUE(s.PurgeDeleted().ok());
  EXPECT_EQ(Models(s), (std::vector<std::string>{"m2"}));
  ASSERT_TRUE(s.GoFirst().ok());
  EXPECT_EQ(Price(s), 222);
  EXPECT_EQ(Soundness("CPU.zdb"), "ok");
}

TEST_P(TableCrashTest, DeletesKilledAtRandomMomentsLeaveNoMarkAndLoseNoAcknowledgedOne) {
  TestFolder& folder = folder_;
  const std::string path = folder.Text("CPU.zdb");
  constexpr int32_t kRecords = 1000;  // a few milliseconds of deletes a round
  FillProducts(path, kRecords);
  std::mt19937 gen(20261209);
  int32_t removed = 0;  // m1 .. m<removed> are gone
  for (int round = 0; round < 25; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = Spawn(fds[1], [&, this](int out) {
      ::close(fds[0]);
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      if (!s.OpenTable(path, "CPU").ok()) return 3;
      for (;;) {
        if (!s.GoFirst().ok()) return 4;
        const Result<FieldValue> model = s.ReadField(Gbk("型号"));
        if (!model.ok() || !IsText(*model)) return 5;  // also: the table ran empty
        if (!s.RemoveRecord().ok()) return 6;
        Say(out, "R " + std::get<std::string>(*model).substr(1));
      }
    });
    ::close(fds[1]);
    std::string log = ReadLines(fds[0], std::uniform_int_distribution<size_t>(0, 4)(gen));
    ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(gen));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL) << "the deleter stopped on its own in round " << round;
    log += Drain(fds[0]);
    int32_t acked = removed;
    std::istringstream acks(log);
    std::string kind;
    int32_t value = 0;
    while (acks >> kind >> value) acked = value;

    ASSERT_EQ(Soundness("CPU.zdb"), "ok") << "round " << round;
    auto s_owner = NewStore();
    TableStore& s = *s_owner;
    ASSERT_TRUE(s.OpenTable(path, "CPU").ok());
    const int32_t n = *s.RecordCount();
    ASSERT_GE(kRecords - n, acked) << "round " << round;  // every acknowledged delete holds
    ASSERT_LE(kRecords - n, acked + 1) << "round " << round;
    removed = kRecords - n;
    for (int32_t i = 1; i <= n; ++i) {
      ASSERT_TRUE(s.GoToRecord(i).ok());
      ASSERT_EQ(Price(s), removed + i) << "round " << round;
      ASSERT_FALSE(*s.IsDeleted()) << "round " << round << ": a delete left a mark on record " << i;
    }
  }
  EXPECT_GT(removed, 25);
}

// Two copies add the same key at the same moment, each testing first as the
// application does, then taking a while over the confirmation.
void TableCrashTest::TwoCopiesAddTheSameKey(const std::vector<FieldSpec>& layout,
                                            const std::vector<FieldValue>& record,
                                            const std::vector<std::string>& key_fields) {
  TestFolder& folder = folder_;
  for (int round = 0; round < 10; ++round) {
    const std::string path = folder.Text("t" + std::to_string(round) + ".zdb");
    {
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      ASSERT_TRUE(s.CreateTable(path, layout).ok());
      ASSERT_TRUE(s.OpenTable(path, "t").ok());  // switched to the log before the race
    }
    std::vector<size_t> key;
    for (const std::string& name : key_fields) {
      key.push_back(static_cast<size_t>(
          std::find_if(layout.begin(), layout.end(), [&](const FieldSpec& f) { return f.name == name; }) -
          layout.begin()));
    }
    int go[2];
    ASSERT_EQ(::pipe(go), 0);
    auto adder = [&, this](int) {
      char c = 0;
      if (::read(go[0], &c, 1) != 1) return 4;
      auto s_owner = NewStore();
      TableStore& s = *s_owner;
      if (!s.OpenTable(path, "t").ok() || !s.GoFirst().ok()) return 1;
      const Result<bool> seen = s.FindRecord([&] {
        for (size_t k : key) {
          if (*s.ReadField(layout[k].name) != record[k]) return false;
        }
        return true;
      });
      if (!seen.ok()) return 1;
      if (*seen) return 2;
      ::usleep(20000);  // the question is on the screen
      const Result<bool> added = s.AppendUniqueRecord(record, key_fields);
      if (!added.ok()) return 1;
      return *added ? 0 : 2;
    };
    const pid_t a = Spawn(-1, adder);
    const pid_t b = Spawn(-1, adder);
    ::close(go[0]);
    ASSERT_EQ(::write(go[1], "ab", 2), 2);  // both start at once
    ::close(go[1]);
    const int ra = Wait(a);
    const int rb = Wait(b);
    EXPECT_TRUE((ra == 0 && rb == 2) || (ra == 2 && rb == 0))
        << "round " << round << ": the copies ended with " << ra << " and " << rb;
    auto s_owner = NewStore();
    TableStore& s = *s_owner;
    ASSERT_TRUE(s.OpenTable(path, "t").ok());
    EXPECT_EQ(*s.RecordCount(), 1) << "round " << round;
  }
}

TEST_P(TableCrashTest, TwoCopiesAddingTheSameProductAtOnceAddItOnce) {
  TwoCopiesAddTheSameKey(ProductLayout(), {Gbk("CPU"), "A", "X1", 5, ""},
                         {Gbk("品牌"), Gbk("型号")});
}

TEST_P(TableCrashTest, TwoCopiesAddingTheSameCustomerNameAtOnceAddItOnce) {
  TwoCopiesAddTheSameKey(testing::CustomerLayout(),
                         {Gbk("张三"), "zs", Gbk("个人"), "", "139", 0, 0, "", ""}, {Gbk("姓名")});
}

}  // namespace
}  // namespace pcshop::tables
