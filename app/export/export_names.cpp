#include "app/export/export_names.h"

#include <algorithm>

#include "app/catalogue/entry_panel.h"
#include "app/global_slots.h"
#include "app/quote/quote_sheet.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

bool IsLeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

bool IsForbiddenInFileName(char c) {
  switch (c) {
    case '\\':
    case '/':
    case ':':
    case '*':
    case '?':
    case '"':
    case '<':
    case '>':
    case '|':
      return true;
    default:
      return false;
  }
}

std::string DateText(calls::Calls& rt, const ExportClock& clock) {
  std::string text;
  text += rt.ToText(clock.year).view();
  text += rt.ConstText(sym::text::kYear);
  text += rt.ToText(clock.month).view();
  text += rt.ConstText(sym::text::kMonth);
  text += rt.ToText(clock.day).view();
  text += rt.ConstText(sym::text::kDay);
  return text;
}

}  // namespace

ExportClock ReadExportClock(calls::Calls& rt) {
  const double now = rt.Now();
  return {rt.GetYear(now), rt.GetMonth(now), rt.GetDay(now), rt.GetHour(now), rt.GetMinute(now)};
}

std::string ExportFolder(calls::Calls& rt, const ExportClock& clock) {
  calls::OwnedText program_folder = rt.ProgramFolder();
  return std::string(program_folder.view()) + rt.ConstText(sym::text::kBackslash) +
         DateText(rt, clock);
}

std::string ExportTimeSuffix(calls::Calls& rt, const ExportClock& clock) {
  std::string suffix = DateText(rt, clock);
  suffix += rt.ToText(clock.hour).view();
  suffix += rt.ConstText(sym::text::kHour);
  suffix += rt.ToText(clock.minute).view();
  suffix += rt.ConstText(sym::text::kMinuteXls);
  return suffix;
}

std::string ExportPath(calls::Calls& rt, std::string_view folder, std::string_view suffix) {
  const calls::OwnedText table = rt.CurrentTableName();
  const std::string_view current = table.view();
  const std::string separator = rt.ConstText(sym::text::kBackslash);
  const std::string underscore = rt.ConstText(sym::text::kUnderscore);
  std::string path;
  // The rules in their order; a later match replaces an earlier path.
  if (current == rt.ConstText(sym::text::kConfigTable)) {
    const calls::OwnedText name = TextOf(rt, QuoteSheetControls(rt).name_box);
    path = std::string(folder) + separator + FileNameSafe(name.view()) + underscore +
           std::string(suffix);
  }
  if (current == rt.ConstText(sym::text::kCustomerTable)) {
    path =
        std::string(folder) + rt.ConstText(sym::text::kCustomerExportPrefix) + std::string(suffix);
  } else if (current != rt.ConstText(sym::text::kConfigTable)) {
    path =
        std::string(folder) + separator + FileNameSafe(current) + underscore + std::string(suffix);
  }
  if (current == rt.ConstText(sym::text::kCategoryOther) &&
      rt.RecordCount() < ExportedProductRows(rt)) {
    path =
        std::string(folder) + rt.ConstText(sym::text::kProductExportPrefix) + std::string(suffix);
  }
  return path;
}

std::string PathForMessage(calls::Calls& rt, const std::string& path) {
  const calls::OwnedText shown = rt.PlatformPath(path.c_str());
  return shown.view().empty() ? path : std::string(shown.view());
}

std::string FileNameSafe(std::string_view gbk) {
  std::string safe(gbk);
  for (size_t i = 0; i < safe.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(safe[i])) && i + 1 < safe.size()) {
      ++i;  // the trail byte belongs to the character
    } else if (IsForbiddenInFileName(safe[i])) {
      safe[i] = '_';
    }
  }
  return safe.substr(std::min(safe.find_first_not_of(". "), safe.size()));
}

std::string UnusedPath(calls::Calls& rt, const std::string& path, std::string_view extension) {
  if (!rt.FileExists(path.c_str()) || !path.ends_with(extension)) return path;
  const std::string stem = path.substr(0, path.size() - extension.size());
  const std::string underscore = rt.ConstText(sym::text::kUnderscore);
  // Bounded: a folder that holds every number is no reason to hang.
  for (int32_t n = 2; n < 10000; ++n) {
    std::string numbered =
        stem + underscore + std::string(rt.ToText(n).view()) + std::string(extension);
    if (!rt.FileExists(numbered.c_str())) return numbered;
  }
  return path;
}

std::string ExportTimeStamp(calls::Calls& rt, const ExportClock& clock) {
  std::string stamp = DateText(rt, clock);
  stamp += rt.ToText(clock.hour).view();
  stamp += rt.ConstText(sym::text::kHour);
  stamp += rt.ToText(clock.minute).view();
  stamp += rt.ConstText(sym::text::kMinute);
  return stamp;
}

std::string ExportDate(calls::Calls& rt, const ExportClock& clock) { return DateText(rt, clock); }

int32_t ExportedProductRows(calls::Calls& rt) {
  return static_cast<int32_t>(static_cast<uint32_t>(*rt.Var(kExportedProductRowsSlot)));
}

void SetExportedProductRows(calls::Calls& rt, int32_t rows) {
  *rt.Var(kExportedProductRowsSlot) = static_cast<uint32_t>(rows);
}

}  // namespace pcshop::app
