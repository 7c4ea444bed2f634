#include "app/customers/customer_table.h"

#include <string>

#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {

namespace t = sym::text;

std::vector<calls::FieldRecord> CustomerFields(calls::Calls& rt) {
  return {
      {rt.ConstText(t::kFieldName), kTextField, 20},
      {rt.ConstText(t::kFieldPinyinCode), kTextField, 20},
      {rt.ConstText(t::kFieldCategory), kTextField, 40},
      {rt.ConstText(t::kFieldUnit), kTextField, 40},
      {rt.ConstText(t::kFieldPhone), kTextField, 11},
      {rt.ConstText(t::kFieldReceivable), kIntegerField, 20},
      {rt.ConstText(t::kFieldPayable), kIntegerField, 20},
      {rt.ConstText(t::kFieldRemark), kTextField, 40},
      {rt.ConstText(t::kFieldDate), kTextField, 30},
  };
}

void OpenCustomerTable(calls::Calls& rt) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  const std::string path =
      std::string(program_folder.view()) + rt.ConstText(t::kTablePathCustomer);
  if (!rt.FileExists(path.c_str())) {
    const std::vector<calls::FieldRecord> fields = CustomerFields(rt);
    (void)rt.CreateTable(path.c_str(), fields);
  }
  (void)rt.OpenTable(path.c_str(), rt.ConstText(t::kCustomerTable));
}

}  // namespace pcshop::app
