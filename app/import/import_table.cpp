#include "app/import/import_table.h"

#include <string>

#include "app/lists/side_table.h"
#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kBrandWidth = 40;
constexpr int32_t kModelWidth = 60;
constexpr int32_t kRemarkWidth = 80;

// Field order of the table.
enum Field : size_t { kNumber, kState, kCategory, kBrand, kModel, kAdded, kOldPrice, kOldRemark,
                      kNewPrice, kNewRemark, kFieldCount };

std::vector<calls::FieldRecord> ImportFields(calls::Calls& rt) {
  return {
      {rt.ConstText(t::kFieldImportNumber), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportState), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportCategory), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportBrand), kTextField, kBrandWidth},
      {rt.ConstText(t::kFieldImportModel), kTextField, kModelWidth},
      {rt.ConstText(t::kFieldImportAdded), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportOldPrice), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportOldRemark), kTextField, kRemarkWidth},
      {rt.ConstText(t::kFieldImportNewPrice), kIntegerField, 10},
      {rt.ConstText(t::kFieldImportNewRemark), kTextField, kRemarkWidth},
  };
}

std::string ImportTablePath(calls::Calls& rt) {
  const calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(t::kTablePathImport);
}

SideTableSelected ImportLogSelected(calls::Calls& rt) {
  return {rt, ImportTablePath(rt), rt.ConstText(t::kImportTable), ImportFields(rt)};
}

// One line's values in field order; the texts must outlive the call.
std::vector<calls::ValueTriple> Line(calls::Calls& rt, int32_t number, ImportState state,
                                     const LoggedChange& v) {
  return {calls::Int(number),
          calls::Int(static_cast<int32_t>(state)),
          calls::Int(v.category),
          rt.Arg(v.brand.c_str()),
          rt.Arg(v.model.c_str()),
          calls::Int(v.added ? 1 : 0),
          calls::Long(v.old_price),
          rt.Arg(v.old_remark.c_str()),
          calls::Long(v.new_price),
          rt.Arg(v.new_remark.c_str())};
}

}  // namespace

void PrepareImportTable(calls::Calls& rt) {
  const std::string path = ImportTablePath(rt);
  // On the server no file exists; the first use checks the layout.
  if (!rt.FileExists(path.c_str())) (void)rt.CreateTable(path.c_str(), ImportFields(rt));
}

ImportRecord LastImport(calls::Calls& rt) {
  ImportRecord last;
  const SideTableSelected table = ImportLogSelected(rt);
  if (!table.ok()) return last;
  const std::vector<calls::FieldRecord> fields = ImportFields(rt);
  auto text = [&](size_t f) { return std::string(rt.ReadFieldText(fields[f].name, {}).view()); };
  auto integer = [&](size_t f) { return rt.ReadFieldInt(fields[f].name, {}); };
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    if (!rt.GoToRecord(n)) return {};
    const int32_t number = integer(kNumber);
    const auto state = static_cast<ImportState>(integer(kState));
    if (number != last.number) last = ImportRecord{number, ImportState::kBegun, {}};
    if (state != ImportState::kChange) {
      last.state = state;
      continue;
    }
    LoggedChange c;
    c.category = integer(kCategory);
    c.brand = text(kBrand);
    c.model = text(kModel);
    c.added = integer(kAdded) != 0;
    c.old_price = integer(kOldPrice);
    c.old_remark = text(kOldRemark);
    c.new_price = integer(kNewPrice);
    c.new_remark = text(kNewRemark);
    last.changes.push_back(std::move(c));
  }
  return last;
}

bool LogImportBegun(calls::Calls& rt, int32_t number, std::span<const LoggedChange> changes) {
  const SideTableSelected table = ImportLogSelected(rt);
  if (!table.ok()) return false;
  const LoggedChange none;
  std::vector<calls::ValueTriple> values = Line(rt, number, ImportState::kBegun, none);
  for (const LoggedChange& c : changes) {
    const std::vector<calls::ValueTriple> line = Line(rt, number, ImportState::kChange, c);
    values.insert(values.end(), line.begin(), line.end());
  }
  return rt.AppendRecords(static_cast<int32_t>(kFieldCount), values);
}

bool LogImportState(calls::Calls& rt, int32_t number, ImportState state) {
  const SideTableSelected table = ImportLogSelected(rt);
  if (!table.ok()) return false;
  const LoggedChange none;
  const std::vector<calls::ValueTriple> values = Line(rt, number, state, none);
  return rt.AppendRecord(values);
}

}  // namespace pcshop::app
