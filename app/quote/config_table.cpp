#include "app/quote/config_table.h"

#include <array>
#include <string>

#include "image/app_symbols.h"

namespace pcshop::app {

std::vector<calls::FieldRecord> ConfigFields(calls::Calls& rt) {
  std::vector<calls::FieldRecord> fields;
  fields.reserve(2 + 7 * kConfigRowFields.size() + 1);
  auto add = [&](uint32_t name, int32_t type, int32_t width) {
    fields.push_back({rt.ConstText(name), type, width});
  };
  add(sym::text::kFieldConfigName, kTextField, 20);
  add(sym::text::kFieldStamp, kTextField, 20);
  for (const ConfigRowFields& row : kConfigRowFields) {
    add(row.kind, kTextField, 20);
    add(row.brand, kTextField, 20);
    add(row.model, kTextField, 30);
    add(row.quantity, kIntegerField, 20);
    add(row.price, kIntegerField, 20);
    add(row.amount, kIntegerField, 20);
    // The last row's remark is narrower than the others.
    add(row.remark, kTextField, &row == &kConfigRowFields.back() ? 20 : 30);
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
