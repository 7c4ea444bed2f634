// The stock windows in real processes (tests/app/process_fixture.h): the
// parent kills a child selling, or waits for two adding movements, then
// reads the stock tables itself.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/ui/test_seam.h"
#include "tests/app/process_fixture.h"
#include "tests/app/table_expectations.h"
#include "tests/runtime/tables/child_process.h"

namespace pcshop::app::testing {
namespace {

using tables::testing::Drain;
using tables::testing::IntegrityCheck;
using tables::testing::ReadLines;
using tables::testing::Say;
using tables::testing::Wait;

using StockProcessTest = ProcessFixture;

// The configuration 整单出库 sells, as its six movements (date aside).
const std::vector<Move> kSold = {{"CPU", "I", "C1", 1000, "整单:王先生", 1, 1000, ""},
                                 {"主板", "M", "B1", 700, "整单:王先生", 1, 700, ""},
                                 {"内存", "K", "R1", 300, "整单:王先生", 2, 600, ""},
                                 {"显卡", "N", "G1", 2000, "整单:王先生", 1, 2000, ""},
                                 {"电源", "P", "P1", 400, "整单:王先生", 1, 400, ""},
                                 {"其它", "W", "O1", 50, "整单:王先生", 1, 50, ""}};

TEST_F(StockProcessTest, ASaleOfAConfigurationKilledAtRandomMomentsWritesAllItsRowsOrNone) {
  ASSERT_EQ(Threads(), 1u) << "the test binary runs other threads: forking it is not safe";
  Prepare([&] {
    SeedSixPartSale();
    SeedMoves("入库", {{"内存", "K", "R1", 200, "", 1, 200, "2026年1月1日"}});
  });
  const size_t rows = kSold.size();
  std::mt19937 gen(20261209);
  size_t sales = 0;        // whole sales found in 出库 after the last round
  int acknowledged = 0;    // sales a child saw reported done
  int unacknowledged = 0;  // rounds whose sale in flight was found written
  const int rounds = KillRounds(110);
  for (int round = 0; round < rounds; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t pid = Child(fds[1], [&](int out) {
      ::close(fds[0]);
      if (!Clicked(kQuote, "按钮出库管理") ||
          !Do(user_->ChooseComboItem(kOut, "组合框配置名", 0))) {
        return 90;
      }
      Say(out, "ready");
      // Sells the configuration again and again, every confirmation OK.
      for (;;) {
        responder_.Clear();
        if (!Clicked(kOut, "按钮整单出库")) return 90;
        const Texts said = responder_.MessageTexts();
        if (said.empty() || said.back() != "整单出库成功，记录数: 6") return 92;
        Say(out, "sold");
      }
    });
    ::close(fds[1]);
    // Kill at a moment spread over one sale, however long a sale takes by
    // now: the confirmation, the sums, the write, the list after.
    std::string log = ReadLines(fds[0], 2);
    ASSERT_EQ(log.rfind("ready\n", 0), 0u) << "round " << round << ": the child ended with "
                                          << Wait(pid);
    const auto start = std::chrono::steady_clock::now();
    log += ReadLines(fds[0], 1);
    const auto sale = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    // A sale's write lies in its first part (the list shown after it takes
    // the rest): every other round aims there.
    const auto span = static_cast<useconds_t>(round % 2 == 0 ? sale.count() : sale.count() / 5);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, span)(gen));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL) << "the child stopped on its own in round " << round;
    WaitUntilTheServerForgetsThePrograms();
    log += Drain(fds[0]);
    size_t acked = 0;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) acked += line == "sold";
    acknowledged += static_cast<int>(acked);

    if (!OnServer()) {
      ASSERT_EQ(IntegrityCheck(data() / "出库.zdb"), "ok") << "round " << round;
    }
    const std::vector<Move> sold = Moves("出库");
    ASSERT_EQ(sold.size() % rows, 0u) << "round " << round << ": a sale was written in part";
    const size_t now = sold.size() / rows;
    // Every acknowledged sale is there; at most the one in flight more.
    ASSERT_GE(now, sales + acked) << "round " << round;
    ASSERT_LE(now, sales + acked + 1) << "round " << round;
    unacknowledged += now == sales + acked + 1;
    for (size_t i = sales * rows; i < sold.size(); ++i) {
      Move expected = kSold[i % rows];
      expected.date = sold[i].date;
      ASSERT_EQ(sold[i], expected) << "round " << round << ", movement " << i + 1;
      ASSERT_EQ(sold[i].date, Today());
    }
    sales = now;
  }
  // Some round saw a second write reported: the kills reach past the
  // first. Over a few rounds (PCSHOP_KILL_ROUNDS) that is chance.
  if (rounds >= 50) {
    EXPECT_GT(acknowledged, rounds);
  }
  // Kills between the commit and its report show that kills reach the
  // write's end; the sums below need every earlier sale whole.
  RecordProperty("sales_found_unreported", unacknowledged);
  EXPECT_EQ(Moves("出库").size(), sales * rows);
}

TEST_F(StockProcessTest, TwoCopiesAddingMovementsAtOnceLoseNone) {
  ASSERT_EQ(Threads(), 1u) << "the test binary runs other threads: forking it is not safe";
  Prepare([&] { Seed("CPU", {{"CPU", "A", "X1", 1000, ""}}); });
  constexpr int kEach = 40;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  // Each copy starts alone (the start-up writes the data folder), then both
  // are released together and add kEach movements through 新增: copy a
  // quantity 1 each, copy b quantity 2, each remark its own.
  auto copy = [&](const std::string& tag, int quantity) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = Child(fds[1], [&, tag, quantity](int out) {
      ::close(fds[0]);
      ::close(go[1]);
      if (!Clicked(kQuote, "按钮入库管理")) return 90;
      Say(out, "ready");
      char c = 0;
      if (::read(go[0], &c, 1) != 1) return 93;
      for (int i = 0; i < kEach; ++i) {
        responder_.Clear();
        if (!Do(user_->ChooseComboItem(kIn, "组合框品名", kCpu)) ||
            !Do(user_->SetText(kIn, "组合框品牌", "A")) ||
            !Do(user_->ChooseComboItem(kIn, "组合框型号", 0)) ||
            !Do(user_->SetText(kIn, "编辑框数量", std::to_string(quantity))) ||
            !Do(user_->SetText(kIn, "编辑框价格", "800")) ||
            !Do(user_->SetText(kIn, "编辑框备注", tag + std::to_string(i))) ||
            !Clicked(kIn, "按钮新增")) {
          return 90;
        }
        const Texts said = responder_.MessageTexts();
        if (said.empty() || said.back() != "入库成功") return 94;
      }
      return 0;
    });
    ::close(fds[1]);
    EXPECT_EQ(ReadLines(fds[0], 1), "ready\n") << "copy " << tag;
    ::close(fds[0]);
    return pid;
  };
  const pid_t a = copy("a", 1);
  const pid_t b = copy("b", 2);
  ::close(go[0]);
  ASSERT_EQ(::write(go[1], "ab", 2), 2);
  ::close(go[1]);
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);

  if (!OnServer()) {
    EXPECT_EQ(IntegrityCheck(data() / "入库.zdb"), "ok");
  }
  const std::vector<Move> moves = Moves("入库");
  ASSERT_EQ(moves.size(), 2u * kEach);
  std::set<std::string> remarks;
  int next_a = 0;
  int next_b = 0;
  for (const Move& m : moves) {
    remarks.insert(m.remark);
    const bool from_a = m.remark[0] == 'a';
    int& next = from_a ? next_a : next_b;
    EXPECT_EQ(m.remark.substr(1), std::to_string(next++)) << "each copy's in its own order";
    EXPECT_EQ(m.quantity, from_a ? 1 : 2) << m;
  }
  EXPECT_EQ(remarks.size(), 2u * kEach);
  // What the shop sees: 3 × kEach on hand in 商品管理 and in the panel.
  Run([&] {
    Click(kQuote, "按钮商品管理");
    Click(kProduct, "按钮全部商品");
    ASSERT_EQ(user_->RowCount(kProduct, kList), 1);
    EXPECT_EQ(user_->Cell(kProduct, kList, 0, 6), std::to_string(3 * kEach));
    Click(kProduct, "按钮入库管理");
    ChooseProduct(kIn, kCpu, "A", 0);
    EXPECT_EQ(user_->Text(kIn, "透明标签库存"), "库存: " + std::to_string(3 * kEach));
    Click(kIn, "按钮全部商品");
    EXPECT_EQ(user_->RowCount(kIn, kList), 2 * kEach);
  });
}

}  // namespace
}  // namespace pcshop::app::testing
