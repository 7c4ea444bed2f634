#include "tests/tools/servercopy/shop_data.h"

#include <limits>

#include "tests/runtime/tables/table_layouts.h"

namespace pcshop::servercopy::testing {

using tables::testing::ConfigLayout;
using tables::testing::CustomerLayout;
using tables::testing::ProductLayout;

std::map<std::string, TableContent> SmallShop() {
  std::map<std::string, TableContent> shop;
  TableContent cpu{ProductLayout(), {}};
  cpu.records.push_back(Product(1, "CPU", "英特尔", "酷睿i5-12400F", 1099, "盒装"));
  cpu.records.push_back(Product(2, "CPU", "AMD", "R7 7800X3D", int64_t{1} << 40));
  cpu.records.push_back(
      Product(5, "CPU", "AMD", "R5 5600", std::numeric_limits<int64_t>::min(), "", true));
  CopyRecord odd = Product(9, "CPU", "龙芯", "3A6000", std::numeric_limits<int64_t>::max());
  // Not UTF-8, not even GBK, with a NUL inside: the copy moves bytes.
  odd.values[4] = std::string("\xFF\xFE\x00\x80\x5C", 5);
  cpu.records.push_back(odd);
  shop["CPU.zdb"] = cpu;

  TableContent gpu{ProductLayout(), {}};
  gpu.records.push_back(Product(1, "显卡", "七彩虹", "RTX 4060 Ti", -(int64_t{1} << 35)));
  gpu.records.push_back(Product(2, "显卡", "华硕", "rtx 4060 ti ", 2999, "小写带空格"));
  shop["显卡.zdb"] = gpu;

  shop["内存.zdb"] = TableContent{ProductLayout(), {}};

  TableContent customers{CustomerLayout(), {}};
  customers.records.push_back(Customer(3, "张三", 5'000'000'000, 0));
  customers.records.push_back(Customer(4, "曾小明", -12, 7));
  customers.records.back().deleted = true;
  shop["客户信息.zdb"] = customers;

  TableContent configs{ConfigLayout(), {}};
  configs.records.push_back(Config(1, "游戏主机A", 1099));
  configs.records.push_back(Config(7, "办公机", int64_t{3} << 33));
  shop["配置.zdb"] = configs;
  return shop;
}

void WriteShop(const std::filesystem::path& folder,
               const std::map<std::string, TableContent>& shop) {
  for (const auto& [name, content] : shop) WriteTable(folder / name, content);
}

}  // namespace pcshop::servercopy::testing
