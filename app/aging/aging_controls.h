#pragma once
// The aged-debts window's controls and its list's columns.

#include "app/aging/aged_list.h"
#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

namespace aging_column {
inline constexpr int32_t kNumber = 0;
inline constexpr int32_t kName = 1;
inline constexpr int32_t kPhone = 2;
inline constexpr int32_t kBalance = 3;
inline constexpr int32_t kOpening = 4;
inline constexpr int32_t kFirstBucket = 5;  // then the other three buckets
inline constexpr int32_t kOldestDate = 9;
inline constexpr int32_t kCount = 10;
}  // namespace aging_column

struct AgingWindow {
  ControlRef side;     // 组合框类型: 应收, 应付
  ControlRef summary;  // 透明标签说明
  ControlRef list;     // 超级列表框账龄
  ControlRef dialog;   // 通用对话框1
};

AgingWindow Aging(calls::Calls& rt);

// The side the chooser shows; 应收 while nothing is chosen.
AgingSide ChosenSide(calls::Calls& rt, const AgingWindow& w);

}  // namespace pcshop::app
