#pragma once
// The stock windows' tests share this: the windows' and controls' names, a
// movement as a stock table holds it, and the fixture that seeds products,
// movements and saved configurations and reads the stock tables back.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "tests/app/app_fixture.h"

namespace pcshop::app::testing {

using Texts = std::vector<std::string>;

inline constexpr char kQuote[] = "窗口配置单";
inline constexpr char kProduct[] = "窗口商品管理";
inline constexpr char kIn[] = "窗口入库";
inline constexpr char kOut[] = "窗口出库";
inline constexpr char kList[] = "超级列表框商品信息";
inline constexpr int kCpu = 0;

// One movement as a stock table holds it; texts UTF-8.
struct Move {
  std::string kind, brand, model;
  int64_t price = 0;
  std::string remark;
  int64_t quantity = 0, amount = 0;
  std::string date;
  bool operator==(const Move&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Move& m);

// Who was on the other side of a movement and what was paid; 成本 -1 on a
// purchase, which has none.
struct MoveMoney {
  std::string counterparty;
  int64_t paid = 0, cost = -1;
  bool operator==(const MoveMoney&) const = default;
};
std::ostream& operator<<(std::ostream& os, const MoveMoney& m);

// A name of the customer register with its opening balances (期初).
struct Opening {
  Opening(std::string n, int r, int p, std::string code = "x", std::string tel = "")
      : name(std::move(n)),
        receivable(r),
        payable(p),
        pinyin(std::move(code)),
        phone(std::move(tel)) {}
  std::string name;
  int receivable = 0, payable = 0;
  std::string pinyin, phone;
};
// Appends the names to the register "客户信息" in the program folder's
// DATA folder `data`.
void SeedRegister(const std::filesystem::path& data, const std::vector<Opening>& names);

std::string ReadAll(const std::filesystem::path& file);
// Today as the stock windows write it: 2026年1月2日.
std::string Today();

class StockFixture : public AppFixture {
 protected:
  void Run(const std::function<void()>& scenario);
  void Click(const char* window, const char* control);
  Texts Messages();
  std::filesystem::path StockFile(const char* side) const;

  // Chooses a catalogue product in a stock window's panel as a user does:
  // category and model from their lists, the brand typed.
  void ChooseProduct(const char* window, int category, const std::string& brand, int model);
  void Enter(const char* window, const std::string& quantity, const std::string& price);

  // The movements of the stock table `side` (入库 or 出库), in record order.
  std::vector<Move> Moves(const char* side);
  std::vector<MoveMoney> MovesMoney(const char* side);
  // Seeded as walk-in movements paid in full, a sale without a cost.
  void SeedMoves(const char* side, const std::vector<Move>& moves);
  // A saved configuration: rows by quote-row index, each brand, model,
  // quantity and unit price.
  struct ConfigRow {
    int row;
    std::string brand, model;
    int quantity, price;
  };
  void SeedConfig(const std::string& name, const std::vector<ConfigRow>& rows);
  // Six products (CPU I C1 1000, 主板 M B1 700, 内存 K R1 300, 显卡 N G1
  // 2000, 电源 P P1 400, 其它 W O1 50) and the configuration 王先生 of one
  // each, two of R1.
  void SeedSixPartSale();
};

}  // namespace pcshop::app::testing
