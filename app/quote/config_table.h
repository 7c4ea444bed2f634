#pragma once
// The configuration table "\DATA\配置.zdb": one record per saved quote, 108
// fields (name, stamp, seven per quote row, remark).

#include <array>
#include <cstdint>
#include <vector>

#include "image/app_symbols.h"
#include "image/calls/calls.h"

namespace pcshop::app {

inline constexpr int32_t kTextField = 10;
inline constexpr int32_t kIntegerField = 3;

// The text keys of the seven fields of one quote row, in table order; the
// sheet's 单价 column is stored in `price`.
struct ConfigRowFields {
  uint32_t kind, brand, model, quantity, price, amount, remark;
};

#define PCSHOP_ROW_FIELDS(Row)                                                       \
  ConfigRowFields {                                                                 \
    sym::text::kConfigField##Row##Kind, sym::text::kConfigField##Row##Brand,         \
        sym::text::kConfigField##Row##Model, sym::text::kConfigField##Row##Quantity, \
        sym::text::kConfigField##Row##Price, sym::text::kConfigField##Row##Amount,   \
        sym::text::kConfigField##Row##Remark                                         \
  }

inline constexpr std::array<ConfigRowFields, 15> kConfigRowFields = {
    PCSHOP_ROW_FIELDS(Cpu),         PCSHOP_ROW_FIELDS(Cooler),
    PCSHOP_ROW_FIELDS(Mainboard),   PCSHOP_ROW_FIELDS(Memory),
    PCSHOP_ROW_FIELDS(HardDisk),    PCSHOP_ROW_FIELDS(SolidStateDisk),
    PCSHOP_ROW_FIELDS(GraphicsCard), PCSHOP_ROW_FIELDS(Monitor),
    PCSHOP_ROW_FIELDS(Case),        PCSHOP_ROW_FIELDS(PowerSupply),
    PCSHOP_ROW_FIELDS(Keyboard),    PCSHOP_ROW_FIELDS(Mouse),
    PCSHOP_ROW_FIELDS(Speakers),    PCSHOP_ROW_FIELDS(OtherOne),
    PCSHOP_ROW_FIELDS(OtherTwo),
};
#undef PCSHOP_ROW_FIELDS

// The configuration table's fields in table order.
std::vector<calls::FieldRecord> ConfigFields(calls::Calls& rt);

// Creates the table when its file is missing; an existing file is left as it
// is, whatever its layout. A failed creation is not reported here.
void CreateConfigTable(calls::Calls& rt);

}  // namespace pcshop::app
