#pragma once
// The configuration table "\DATA\配置.zdb": one record per saved quote, 108
// fields (name, stamp, seven per quote row, remark).

#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

inline constexpr int32_t kTextField = 10;
inline constexpr int32_t kIntegerField = 3;

// The configuration table's fields in table order.
std::vector<calls::FieldRecord> ConfigFields(calls::Calls& rt);

// Creates the table when its file is missing; an existing file is left as it
// is, whatever its layout. A failed creation is not reported here.
void CreateConfigTable(calls::Calls& rt);

}  // namespace pcshop::app
