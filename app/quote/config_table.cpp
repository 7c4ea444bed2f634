#include "app/quote/config_table.h"

#include <array>
#include <string>

#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// The seven fields of one quote row, in table order.
struct RowFields {
  uint32_t kind, brand, model, quantity, price, amount, remark;
};

#define PCSHOP_ROW_FIELDS(Row)                                                       \
  RowFields {                                                                        \
    sym::text::kConfigField##Row##Kind, sym::text::kConfigField##Row##Brand,         \
        sym::text::kConfigField##Row##Model, sym::text::kConfigField##Row##Quantity, \
        sym::text::kConfigField##Row##Price, sym::text::kConfigField##Row##Amount,   \
        sym::text::kConfigField##Row##Remark                                         \
  }

constexpr std::array<RowFields, 15> kQuoteRowFields = {
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

}  // namespace

std::vector<calls::FieldRecord> ConfigFields(calls::Calls& rt) {
  std::vector<calls::FieldRecord> fields;
  fields.reserve(2 + 7 * kQuoteRowFields.size() + 1);
  auto add = [&](uint32_t name, int32_t type, int32_t width) {
    fields.push_back({rt.ConstText(name), type, width});
  };
  add(sym::text::kFieldConfigName, kTextField, 20);
  add(sym::text::kFieldStamp, kTextField, 20);
  for (const RowFields& row : kQuoteRowFields) {
    add(row.kind, kTextField, 20);
    add(row.brand, kTextField, 20);
    add(row.model, kTextField, 30);
    add(row.quantity, kIntegerField, 20);
    add(row.price, kIntegerField, 20);
    add(row.amount, kIntegerField, 20);
    // The last row's remark is narrower than the others.
    add(row.remark, kTextField, &row == &kQuoteRowFields.back() ? 20 : 30);
  }
  add(sym::text::kFieldConfigRemark, kTextField, 30);
  return fields;
}

void CreateConfigTable(calls::Calls& rt) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  const std::string path =
      std::string(program_folder.view()) + rt.ConstText(sym::text::kTablePathConfig);
  if (rt.FileExists(path.c_str())) return;
  const std::vector<calls::FieldRecord> fields = ConfigFields(rt);
  (void)rt.CreateTable(path.c_str(), fields);
}

}  // namespace pcshop::app
