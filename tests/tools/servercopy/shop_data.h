#pragma once
// The small shop the copy tests move around: products in several
// categories, customers and saved configurations, with what a copy is
// likely to get wrong (GBK texts, bytes that are not UTF-8, a NUL byte,
// integers beyond 32 bits, delete marks, gaps in the ids, an empty table).

#include <map>
#include <string>

#include "tests/tools/servercopy/shop_folder.h"

namespace pcshop::servercopy::testing {

// By file name (UTF-8): CPU.zdb, 显卡.zdb, 内存.zdb (empty), 客户信息.zdb, 配置.zdb.
std::map<std::string, TableContent> SmallShop();

// Writes the tables into `folder`, which exists.
void WriteShop(const std::filesystem::path& folder, const std::map<std::string, TableContent>& shop);

}  // namespace pcshop::servercopy::testing
