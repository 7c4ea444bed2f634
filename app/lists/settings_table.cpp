#include "app/lists/settings_table.h"

#include <array>
#include <vector>

#include "app/lists/side_table.h"
#include "app/quote/config_table.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// Texts are stored whole whatever the width; these say what a value is
// meant to hold: a name made of a list's headers, a mapping or a number.
constexpr int32_t kNameWidth = 1000;
constexpr int32_t kValueWidth = 1000;

std::vector<calls::FieldRecord> SettingsFields(calls::Calls& rt) {
  return {
      {rt.ConstText(t::kFieldSettingName), kTextField, kNameWidth},
      {rt.ConstText(t::kFieldSettingValue), kTextField, kValueWidth},
  };
}

std::string SettingsTablePath(calls::Calls& rt) {
  const calls::OwnedText folder = rt.ProgramFolder();
  return std::string(folder.view()) + rt.ConstText(t::kTablePathSettings);
}

SideTableSelected SettingsSelected(calls::Calls& rt) {
  return {rt, SettingsTablePath(rt), rt.ConstText(t::kSettingsTable), SettingsFields(rt)};
}

// The record number of `name`, 0 for none. The whole name column in one
// query: delete-marked records come too and keep their numbers.
int32_t RecordOf(calls::Calls& rt, const std::string& name) {
  const std::array<const char*, 1> fields = {rt.ConstText(t::kFieldSettingName)};
  const auto rows = rt.ReadMatching("", "", fields);
  if (!rows) return -1;
  for (size_t i = 0; i < rows->size(); ++i) {
    if (!(*rows)[i].empty() && (*rows)[i][0] == name) return static_cast<int32_t>(i + 1);
  }
  return 0;
}

}  // namespace

void PrepareSettingsTable(calls::Calls& rt) {
  const std::string path = SettingsTablePath(rt);
  // On the server no file exists; the first use checks the layout.
  if (!rt.FileExists(path.c_str())) (void)rt.CreateTable(path.c_str(), SettingsFields(rt));
}

std::optional<std::string> ReadSetting(calls::Calls& rt, const std::string& name) {
  const SideTableSelected table = SettingsSelected(rt);
  if (!table.ok()) return std::nullopt;
  const std::array<const char*, 1> fields = {rt.ConstText(t::kFieldSettingValue)};
  const auto rows = rt.ReadMatching(rt.ConstText(t::kFieldSettingName), name.c_str(), fields);
  if (!rows || rows->empty() || rows->front().empty()) return std::nullopt;
  return rows->front().front();
}

bool WriteSetting(calls::Calls& rt, const std::string& name, const std::string& value) {
  const SideTableSelected table = SettingsSelected(rt);
  if (!table.ok()) return false;
  const calls::ValueTriple values[] = {rt.Arg(name.c_str()), rt.Arg(value.c_str())};
  // A second round only when another counter appended the name in between.
  for (int round = 0; round < 2; ++round) {
    const int32_t record = RecordOf(rt, name);
    if (record < 0) return false;
    if (record > 0) return rt.GoToRecord(record) && rt.ModifyRecord(values);
    const std::array<const char*, 1> key = {rt.ConstText(t::kFieldSettingName)};
    switch (rt.AppendUniqueRecord(key, values)) {
      case calls::Calls::AppendOutcome::kAppended: return true;
      case calls::Calls::AppendOutcome::kFailed: return false;
      case calls::Calls::AppendOutcome::kSameKeyExists: break;
    }
  }
  return false;
}

}  // namespace pcshop::app
