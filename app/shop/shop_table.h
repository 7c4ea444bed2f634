#pragma once
// The shop's own details "\DATA\店铺.zdb", opened as "店铺": one record with
// 店名, 地址 and 电话, which printed documents carry at their top. Kept in a
// table so that it travels with backups and is shared on the server.

#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

struct ShopInfo {
  std::string name, address, phone;

  bool empty() const { return name.empty() && address.empty() && phone.empty(); }
  friend bool operator==(const ShopInfo&, const ShopInfo&) = default;
};

std::vector<calls::FieldRecord> ShopFields(calls::Calls& rt);

// Start-up: creates the table when missing; a file of another layout is left
// as it is (ShopTableUsable says so).
void PrepareShopTable(calls::Calls& rt);

// Whether the table has the shop layout; false, untouched, for another.
bool ShopTableUsable(calls::Calls& rt);

// The record as another counter may just have written it; all empty when
// none was saved or the table cannot be used. The current table stays current.
ShopInfo ReadShopInfo(calls::Calls& rt);

// Writes `info` as the one record, in one write: appended the first time,
// modified after. False when the table store refused it. The current table
// stays current.
bool WriteShopInfo(calls::Calls& rt, const ShopInfo& info);

}  // namespace pcshop::app
