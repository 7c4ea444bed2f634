// 往来账 in real processes (tests/app/process_fixture.h): the parent kills a
// child recording payments at random moments, or waits for two recording
// payments for one customer at once, then reads the payments table itself.

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <ostream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/tables/table_store.h"
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

constexpr char kAccounts[] = "窗口往来账";
constexpr char kCustomer[] = "窗口客户管理";
constexpr char kCustomers[] = "超级列表框客户信息";
constexpr char kName[] = "张三";

using Pay = PaymentRow;

// A payment the children record: 收款 in cash, today, from kName.
Pay Received(int64_t amount, const std::string& remark) {
  return {Today(), kName, "收款", amount, "现金", remark};
}

class PaymentProcessTest : public ProcessFixture {
 protected:
  // kName in the register with an opening 应收 of `receivable`.
  void SeedRegister(int receivable) {
    Click(kQuote, "按钮客户管理");
    TestStore store;
    Ok(store.OpenTable((data() / (Gbk("客户信息") + ".zdb")).string(), "seed"));
    const tables::FieldValue values[] = {Gbk(kName),    std::string("zs"), Gbk("个人"),
                                         std::string(), std::string(),     int64_t{receivable},
                                         int64_t{0},    std::string(),     std::string()};
    Ok(store.AppendRecord(values));
  }
  // In a child: 往来账 open on kName, 收款 chosen.
  bool OpenAccount() {
    return Clicked(kQuote, "按钮往来账") && Do(user_->SetText(kAccounts, "组合框姓名", kName)) &&
           Do(user_->PressEnter(kAccounts, "组合框姓名")) &&
           Do(user_->ChooseComboItem(kAccounts, "组合框类型", 0));
  }
  // In a child: records one payment, every confirmation OK; whether the
  // window said it was written.
  bool Record(int64_t amount, const std::string& remark) {
    responder_.Clear();
    if (!Do(user_->SetText(kAccounts, "编辑框金额", std::to_string(amount))) ||
        !Do(user_->SetText(kAccounts, "编辑框备注", remark)) || !Clicked(kAccounts, "按钮新增")) {
      return false;
    }
    const Texts said = responder_.MessageTexts();
    return !said.empty() && said.back() == "增加成功";
  }
  std::vector<Pay> Payments() { return PaymentsIn(data()); }
  // The table's own checks: its fields, and on files SQLite's.
  void ExpectSoundTable(int round) {
    if (!OnServer()) {
      ASSERT_EQ(IntegrityCheck(data() / "收付款.zdb"), "ok") << "round " << round;
      ASSERT_EQ(FieldsOf(data() / "收付款.zdb").size(), PaymentTableFields().size());
    }
  }
};

TEST_F(PaymentProcessTest, RecordingPaymentsKilledAtRandomMomentsKeepsEveryAcknowledgedOneOnce) {
  ASSERT_EQ(Threads(), 1u) << "the test binary runs other threads: forking it is not safe";
  Prepare([&] { SeedRegister(0); });
  std::mt19937 gen(20261210);
  std::set<std::string> acknowledged;  // remarks of payments a child saw reported written
  size_t found = 0;                    // payments in the table after the last round
  int unacknowledged = 0;              // rounds whose payment in flight was found written
  constexpr int kRounds = 110;
  for (int round = 0; round < kRounds; ++round) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    // Each payment's remark names its round and place, its amount the place.
    const std::string tag = "r" + std::to_string(round) + ".";
    const pid_t pid = Child(fds[1], [&](int out) {
      ::close(fds[0]);
      if (!OpenAccount()) return 90;
      Say(out, "ready");
      for (int i = 1;; ++i) {
        if (!Record(i, tag + std::to_string(i))) return 92;
        Say(out, tag + std::to_string(i));
      }
    });
    ::close(fds[1]);
    // Kill at a moment spread over one payment, however long one takes:
    // the confirmation, the write, the balances and list after.
    std::string log = ReadLines(fds[0], 2);
    ASSERT_EQ(log.rfind("ready\n", 0), 0u)
        << "round " << round << ": the child ended with " << Wait(pid);
    const auto start = std::chrono::steady_clock::now();
    log += ReadLines(fds[0], 1);
    const auto one = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    // The write lies in a payment's first part: every other round aims there.
    const auto span = static_cast<useconds_t>(round % 2 == 0 ? one.count() : one.count() / 4);
    ::usleep(std::uniform_int_distribution<useconds_t>(0, span)(gen));
    ::kill(pid, SIGKILL);
    ASSERT_EQ(Wait(pid), -SIGKILL) << "the child stopped on its own in round " << round;
    WaitUntilTheServerForgetsThePrograms();
    log += Drain(fds[0]);
    std::istringstream lines(log);
    int acked = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(tag, 0) == 0) {
        acknowledged.insert(line);
        ++acked;
      }
    }

    ExpectSoundTable(round);
    const std::vector<Pay> paid = Payments();
    // This round's acknowledged payments are there, in order, each whole;
    // at most the one in flight more.
    ASSERT_GE(paid.size(), found + acked) << "round " << round;
    ASSERT_LE(paid.size(), found + acked + 1) << "round " << round;
    unacknowledged += paid.size() == found + acked + 1;
    for (size_t i = found; i < paid.size(); ++i) {
      const int place = static_cast<int>(i - found) + 1;
      ASSERT_EQ(paid[i], Received(place, tag + std::to_string(place)))
          << "round " << round << ", payment " << i + 1;
    }
    found = paid.size();
  }
  EXPECT_GT(acknowledged.size(), static_cast<size_t>(kRounds));
  RecordProperty("payments_acknowledged", static_cast<int>(acknowledged.size()));
  RecordProperty("payments_found_unreported", unacknowledged);
  // Every acknowledged payment exactly once; the unreported ones were whole.
  std::map<std::string, int> times;
  for (const Pay& p : Payments()) ++times[p.remark];
  EXPECT_EQ(times.size(), found) << "a payment was written twice";
  for (const std::string& remark : acknowledged) EXPECT_EQ(times[remark], 1) << remark;
}

TEST_F(PaymentProcessTest, TwoCopiesRecordingPaymentsForOneCustomerLoseNoneAndAgreeOnTheBalance) {
  ASSERT_EQ(Threads(), 1u) << "the test binary runs other threads: forking it is not safe";
  constexpr int kOpening = 1000;
  Prepare([&] { SeedRegister(kOpening); });
  constexpr int kEach = 40;
  int go[2];
  int look[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(look), 0);
  // Each copy starts alone (the start-up writes the data folder), then both
  // are released together and record kEach payments of 收款 from kName: copy
  // a 1 each, copy b 2, each remark its own. When both are done, each reads
  // the balance in its own 往来账 and 客户管理 and reports it.
  auto copy = [&](const std::string& tag, int amount, int& out_fd) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t pid = Child(fds[1], [&, tag, amount](int out) {
      ::close(fds[0]);
      ::close(go[1]);
      ::close(look[1]);
      if (!OpenAccount()) return 90;
      Say(out, "ready");
      char c = 0;
      if (::read(go[0], &c, 1) != 1) return 93;
      for (int i = 0; i < kEach; ++i) {
        if (!Record(amount, tag + std::to_string(i))) return 94;
      }
      Say(out, "done");
      if (::read(look[0], &c, 1) != 1) return 93;
      if (!Do(user_->SetText(kAccounts, "组合框姓名", kName)) ||
          !Do(user_->PressEnter(kAccounts, "组合框姓名"))) {
        return 90;
      }
      user_->ProcessEvents();
      Say(out, user_->Text(kAccounts, "透明标签余额"));
      if (!Clicked(kAccounts, "按钮客户管理")) return 90;
      Say(out, user_->Cell(kCustomer, kCustomers, 0, 6));
      return 0;
    });
    ::close(fds[1]);
    EXPECT_EQ(ReadLines(fds[0], 1), "ready\n") << "copy " << tag;
    out_fd = fds[0];
    return pid;
  };
  int from_a = -1;
  int from_b = -1;
  const pid_t a = copy("a", 1, from_a);
  const pid_t b = copy("b", 2, from_b);
  ::close(go[0]);
  ::close(look[0]);
  ASSERT_EQ(::write(go[1], "ab", 2), 2);
  ::close(go[1]);
  EXPECT_EQ(ReadLines(from_a, 1), "done\n");
  EXPECT_EQ(ReadLines(from_b, 1), "done\n");
  ASSERT_EQ(::write(look[1], "ab", 2), 2);
  ::close(look[1]);
  const std::string seen_a = Drain(from_a);
  const std::string seen_b = Drain(from_b);
  EXPECT_EQ(Wait(a), 0);
  EXPECT_EQ(Wait(b), 0);

  ExpectSoundTable(0);
  const std::vector<Pay> paid = Payments();
  ASSERT_EQ(paid.size(), 2u * kEach);
  std::set<std::string> remarks;
  int next_a = 0;
  int next_b = 0;
  for (const Pay& p : paid) {
    remarks.insert(p.remark);
    const bool is_a = p.remark[0] == 'a';
    int& next = is_a ? next_a : next_b;
    EXPECT_EQ(p, Received(is_a ? 1 : 2, p.remark.substr(0, 1) + std::to_string(next++)))
        << "each copy's in its own order";
  }
  EXPECT_EQ(remarks.size(), 2u * kEach);
  // Both copies show the same balance, and the right one.
  const int left = kOpening - 3 * kEach;
  const std::string shown = "期初应收: " + std::to_string(kOpening) +
                            "    应收: " + std::to_string(left) +
                            "          期初应付: 0    应付: 0\n" + std::to_string(left) + "\n";
  EXPECT_EQ(seen_a, shown);
  EXPECT_EQ(seen_b, shown);
}

}  // namespace
}  // namespace pcshop::app::testing
