// 导入's 应用 in real processes (tests/app/process_fixture.h): a child
// applies a price list of every product in three categories and is killed
// at a random moment; after the next start, which rolls back an import cut
// short, the catalogue holds every old price or every new one.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "runtime/ui/test_seam.h"
#include "tests/app/process_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/tables/child_process.h"

namespace pcshop::app::testing {
namespace {

namespace fs = std::filesystem;
using tables::testing::Hang;
using tables::testing::IntegrityCheck;
using tables::testing::ReadLines;
using tables::testing::Say;
using tables::testing::Wait;

constexpr char kImport[] = "窗口导入";
constexpr std::array<const char*, 3> kCategories = {"CPU", "主板", "内存"};
constexpr int kPerCategory = 400;

// The price of product `i` of a category in list `which` (0 old, 1 new).
int64_t PriceOf(int which, int i) { return (which == 0 ? 1000 : 2000) + i; }
std::string ModelOf(int i) { return "M" + std::to_string(10000 + i); }

class ImportProcessTest : public ProcessFixture {
 protected:
  fs::path ListFile(int which) const { return folder_ / ("list" + std::to_string(which) + ".csv"); }

  void WriteList(int which) {
    std::ofstream out(ListFile(which), std::ios::binary);
    out << "品名,品牌,型号,价格\r\n";
    for (const char* category : kCategories) {
      for (int i = 0; i < kPerCategory; ++i) {
        out << category << ",B," << ModelOf(i) << "," << PriceOf(which, i) << "\r\n";
      }
    }
  }

  // In the parent, after a start: 0 when every product has its old price, 1
  // when every one has its new, -1 for anything else.
  int CatalogueState() {
    int state = -2;
    for (const char* category : kCategories) {
      if (!OnServer()) {
        EXPECT_EQ(IntegrityCheck(data() / (std::string(category) + ".zdb")), "ok") << category;
      }
      TestStore store;
      if (!store.OpenTable((data() / (Gbk(category) + ".zdb")).string(), "read").ok()) return -1;
      const std::string fields[] = {Gbk("型号"), Gbk("价格")};
      const auto rows = store.ReadMatching("", "", fields);
      if (!rows.ok() || rows->size() != static_cast<size_t>(kPerCategory)) return -1;
      for (int i = 0; i < kPerCategory; ++i) {
        const auto& row = (*rows)[static_cast<size_t>(i)];
        if (std::get<std::string>(row[0]) != ModelOf(i)) return -1;
        const int64_t price = std::get<int64_t>(row[1]);
        const int which = price == PriceOf(0, i) ? 0 : price == PriceOf(1, i) ? 1 : -1;
        if (which < 0 || (state != -2 && which != state)) return -1;
        state = which;
      }
    }
    return state;
  }

  // The import log's lines; -1 when it cannot be read.
  int LogLines() {
    TestStore store;
    if (!store.OpenTable((data() / (Gbk("导入记录") + ".zdb")).string(), "log").ok()) return -1;
    const Result<int32_t> lines = store.RecordCount();
    return lines.ok() ? *lines : -1;
  }
  // Waits until the log has more than `lines` lines; the time it took.
  std::chrono::microseconds LogGrowsPast(int lines) {
    const auto start = std::chrono::steady_clock::now();
    while (LogLines() <= lines) {
      if (std::chrono::steady_clock::now() - start > std::chrono::seconds(30)) break;
    }
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start);
  }

  // A child that opens list `which` in 导入, says "ready", applies it and
  // says "applied", then waits to be killed.
  pid_t Applying(int which, int& from) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = Child(fds[1], [&](int out) {
      ::close(fds[0]);
      responder_.QueueFileDialogAnswer(ListFile(which).string());
      if (!Clicked(kQuote, "按钮商品管理") || !Clicked("窗口商品管理", "按钮导入") ||
          !user_->IsOpen(kImport)) {
        return 90;
      }
      Say(out, "ready");
      responder_.Clear();
      if (!Clicked(kImport, "按钮应用")) return 90;
      const Texts said = responder_.MessageTexts();
      if (said.empty() || said.back().rfind("导入完成", 0) != 0) return 92;
      Say(out, "applied");
      Hang();
    });
    ::close(fds[1]);
    from = fds[0];
    return pid;
  }
};

TEST_F(ImportProcessTest, AnApplyKilledAtRandomMomentsLeavesEveryOldPriceOrEveryNewOne) {
  ASSERT_EQ(Threads(), 1u) << "the test binary runs other threads: forking it is not safe";
  WriteList(0);
  WriteList(1);
  Prepare([&] {
    for (const char* category : kCategories) {
      std::vector<Product> products;
      for (int i = 0; i < kPerCategory; ++i) {
        products.push_back({category, "B", ModelOf(i), static_cast<int>(PriceOf(0, i)), ""});
      }
      Seed(category, products);
    }
  });
  ASSERT_EQ(CatalogueState(), 0);

  // One apply left to finish, to time it, and its writes: from the log's
  // first line of the import to its completion line.
  int from = -1;
  int lines = LogLines();
  pid_t pid = Applying(1, from);
  ASSERT_EQ(ReadLines(from, 1), "ready\n") << "the child ended with " << Wait(pid);
  const auto start = std::chrono::steady_clock::now();
  (void)LogGrowsPast(lines);
  const int begun = LogLines();
  const auto writes = LogGrowsPast(begun).count();
  ASSERT_EQ(ReadLines(from, 1), "applied\n") << "the child ended with " << Wait(pid);
  const auto span = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
  ::kill(pid, SIGKILL);
  (void)Wait(pid);
  ::close(from);
  WaitUntilTheServerForgetsThePrograms();
  int state = CatalogueState();
  ASSERT_EQ(state, 1);

  std::mt19937 gen(20261210);
  const int rounds = KillRounds(3);
  for (int round = 0; round < rounds; ++round) {
    lines = LogLines();
    pid = Applying(1 - state, from);
    ASSERT_EQ(ReadLines(from, 1), "ready\n")
        << "round " << round << ": the child ended with " << Wait(pid);
    // Every other round waits for the import's first log lines, so that the
    // kill lands among the category writes; the others anywhere in 应用.
    if (round % 2 == 1) {
      (void)LogGrowsPast(lines);
      ::usleep(std::uniform_int_distribution<useconds_t>(0, static_cast<useconds_t>(writes))(gen));
    } else {
      ::usleep(std::uniform_int_distribution<useconds_t>(0, static_cast<useconds_t>(span))(gen));
    }
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL) << "the child stopped on its own in round " << round;
    ::close(from);
    WaitUntilTheServerForgetsThePrograms();
    Prepare([] {});  // the next start, which rolls back an import cut short
    state = CatalogueState();
    ASSERT_GE(state, 0) << "round " << round << ": old and new prices mixed";
  }
}

}  // namespace
}  // namespace pcshop::app::testing
