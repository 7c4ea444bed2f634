#include "app/catalogue/catalogue_tables.h"

#include <string>

#include "app/quote/config_table.h"
#include "app/stock/stock_tables.h"
#include "image/app_symbols.h"

namespace pcshop::app {

namespace t = sym::text;

const std::array<TableName, 16> kProductTables = {{
    {t::kCategoryCpu, t::kTablePathCpu},
    {t::kCategoryCooler, t::kTablePathCooler},
    {t::kCategoryMainboard, t::kTablePathMainboard},
    {t::kCategoryMemory, t::kTablePathMemory},
    {t::kCategoryHardDisk, t::kTablePathHardDisk},
    {t::kCategorySolidStateDisk, t::kTablePathSolidStateDisk},
    {t::kCategoryGraphicsCard, t::kTablePathGraphicsCard},
    {t::kCategoryMonitor, t::kTablePathMonitor},
    {t::kCategoryCase, t::kTablePathCase},
    {t::kCategoryPowerSupply, t::kTablePathPowerSupply},
    {t::kCategoryKeyboard, t::kTablePathKeyboard},
    {t::kCategoryMouse, t::kTablePathMouse},
    {t::kCategorySpeakers, t::kTablePathSpeakers},
    {t::kCategoryOther, t::kTablePathOther},
    {t::kStockInTable, t::kTablePathStockIn},
    {t::kStockOutTable, t::kTablePathStockOut},
}};

namespace {

constexpr size_t kCategoryCount = 14;
constexpr int32_t kProductFieldWidth = 20;

std::string TablePath(calls::Calls& rt, const calls::OwnedText& program_folder, uint32_t path) {
  return std::string(program_folder.view()) + rt.ConstText(path);
}

}  // namespace

std::vector<calls::FieldRecord> ProductFields(calls::Calls& rt) {
  // The price is an integer, and it too is given the width 20.
  return {
      {rt.ConstText(t::kFieldKind), kTextField, kProductFieldWidth},
      {rt.ConstText(t::kFieldBrand), kTextField, kProductFieldWidth},
      {rt.ConstText(t::kFieldModel), kTextField, kProductFieldWidth},
      {rt.ConstText(t::kFieldPrice), kIntegerField, kProductFieldWidth},
      {rt.ConstText(t::kFieldRemark), kTextField, kProductFieldWidth},
  };
}

void CreateProductTables(calls::Calls& rt) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  // The two stock tables have a layout of their own (app/stock).
  for (size_t i = 0; i < kCategoryCount; ++i) {
    const TableName& table = kProductTables[i];
    const std::string path = TablePath(rt, program_folder, table.path);
    if (rt.FileExists(path.c_str())) continue;
    const std::vector<calls::FieldRecord> fields = ProductFields(rt);
    (void)rt.CreateTable(path.c_str(), fields);
  }
  PrepareStockTables(rt);
}

void OpenStartupTables(calls::Calls& rt) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  auto open = [&](uint32_t path, uint32_t alias) {
    (void)rt.OpenTable(TablePath(rt, program_folder, path).c_str(), rt.ConstText(alias));
  };
  open(t::kTablePathStockIn, t::kStockInTable);
  open(t::kTablePathStockOut, t::kStockOutTable);
  open(t::kTablePathConfig, t::kConfigTable);
  for (size_t i = 0; i < kCategoryCount; ++i) open(kProductTables[i].path, kProductTables[i].alias);
}

}  // namespace pcshop::app
