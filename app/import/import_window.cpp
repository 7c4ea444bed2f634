// 导入 on 商品管理: the file chosen in the product window's dialog is read
// and previewed in the import window, a modal window over it. Every choice
// (encoding, sheet, columns, category, filter) reads the list again and
// plans anew; nothing is written before 应用.

#include <algorithm>
#include <string>

#include "app/app_calls.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/product_list.h"
#include "app/import/import_apply.h"
#include "app/import/before_apply.h"
#include "app/import/import_preview.h"
#include "app/import/row_reason.h"
#include "app/lists/settings_table.h"
#include "app/routines.h"
#include "image/app_symbols.h"
#include "image/property_numbers.h"
#include "image/type_ids.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;
namespace prop = image::property;

constexpr int32_t kOpenDialog = 0;
constexpr int32_t kFilterUnmentioned = 6;  // 组合框筛选's last item

calls::ValueTriple ProductDialog(calls::Calls& rt) {
  return calls::Object(rt.Id(sym::window::kProduct), rt.Id(sym::control::product::通用对话框1),
                       image::type_id::kCommonDialog);
}

void SetDialogText(calls::Calls& rt, const calls::ValueTriple& dialog, int32_t property,
                   const char* text) {
  rt.SetProperty(dialog.low, dialog.high, property, reinterpret_cast<uintptr_t>(text));
}

calls::OwnedText ChosenPath(calls::Calls& rt) {
  const calls::ValueTriple dialog = ProductDialog(rt);
  const uint64_t value = rt.GetProperty(dialog.low, dialog.high, prop::kFileName);
  return rt.TakeText(calls::Text(reinterpret_cast<const char*>(static_cast<uintptr_t>(value))));
}

ReasonTexts Reasons(calls::Calls& rt) {
  auto s = [&](uint32_t text) { return std::string(rt.ConstText(text)); };
  return {s(t::kImportNoCategory),    s(t::kImportNoBrand),
          s(t::kImportNoModel),       s(t::kImportPriceEmpty),
          s(t::kImportPriceNotNumber), s(t::kImportPriceFraction),
          s(t::kImportPriceNotPositive), s(t::kImportPriceTooLarge),
          s(t::kImportDuplicateBefore), s(t::kImportDuplicateAfter),
          s(t::kImportAmbiguous)};
}

const char* KindText(calls::Calls& rt, RowKind kind) {
  switch (kind) {
    case RowKind::kNew: return rt.ConstText(t::kImportKindNew);
    case RowKind::kUp: return rt.ConstText(t::kImportKindUp);
    case RowKind::kDown: return rt.ConstText(t::kImportKindDown);
    case RowKind::kUnchanged: return rt.ConstText(t::kImportKindSame);
    case RowKind::kRefused: break;
  }
  return rt.ConstText(t::kImportKindRefused);
}

std::string Number(int64_t n) { return std::to_string(n); }

std::string CategoryName(const ImportPreview& p, int32_t category) {
  if (category < 0 || static_cast<size_t>(category) >= p.category_names.size()) return {};
  return p.category_names[static_cast<size_t>(category)];
}

// The choosers that follow the list just read: the encoding found, the
// sheets, and the columns (（无） first).
void FillChoosers(calls::Calls& rt, const ImportControls& c, const PriceList& list) {
  SetIndexOf(rt, c.encoding, list.encoding);
  rt.ClearCombo(ObjectOf(c.sheet));
  for (const std::string& name : list.sheet_names) (void)rt.AddComboItem(ObjectOf(c.sheet), name.c_str());
  SetIndexOf(rt, c.sheet, list.sheet_names.empty() ? -1 : list.sheet);
  for (size_t f = 0; f < kImportFieldCount; ++f) {
    const calls::ValueTriple combo = ObjectOf(c.columns[f]);
    rt.ClearCombo(combo);
    (void)rt.AddComboItem(combo, rt.ConstText(t::kImportNoColumn));
    for (const std::string& h : list.headers) (void)rt.AddComboItem(combo, h.c_str());
    SetIndexOf(rt, c.columns[f], list.map.column[f] + 1);
  }
}

void AppendRow(calls::Calls& rt, const calls::ValueTriple& list,
               const std::array<std::string, 10>& cells) {
  const int32_t row = rt.InsertListRow(list, -1);
  for (size_t i = 0; i < cells.size(); ++i) {
    (void)rt.SetListCell(list, row, static_cast<int32_t>(i), cells[i].c_str());
  }
}

void ShowRows(calls::Calls& rt, const ImportControls& c, const ImportPreview& p) {
  const calls::ValueTriple list = ObjectOf(c.list);
  rt.ClearList(list);
  const int32_t filter = std::max(0, IndexOf(rt, c.filter));
  const std::string tick = rt.ConstText(t::kImportTick);
  if (filter == kFilterUnmentioned) {
    const std::string kind = rt.ConstText(t::kImportKindUnmentioned);
    for (const int32_t i : p.plan.not_mentioned) {
      const CatalogueProduct& product = p.catalogue[static_cast<size_t>(i)];
      AppendRow(rt, list, {"", "", kind, CategoryName(p, product.category), product.brand,
                           product.model, Number(product.price), "", "", ""});
    }
    return;
  }
  const ReasonTexts reasons = Reasons(rt);
  for (const PlannedRow& r : p.plan.rows) {
    if (filter != 0 && static_cast<int32_t>(r.kind) != filter - 1) continue;
    const bool known = r.kind == RowKind::kUp || r.kind == RowKind::kDown ||
                       r.kind == RowKind::kUnchanged;
    const bool priced = r.kind != RowKind::kRefused;
    AppendRow(rt, list,
              {r.ticked ? tick : "", Number(r.number), KindText(rt, r.kind),
               CategoryName(p, r.category), r.brand, r.model,
               known ? Number(r.old_price) : "", priced ? Number(r.price) : "",
               known ? Number(r.price - r.old_price) : "", RowReason(r, reasons)});
  }
}

void ShowCounts(calls::Calls& rt, const ImportControls& c, const ImportPlan& plan) {
  const std::string gap = rt.ConstText(t::kImportCountGap);
  const uint32_t names[kRowKindCount] = {t::kImportKindNew, t::kImportKindUp, t::kImportKindDown,
                                         t::kImportKindSame, t::kImportKindRefused};
  std::string text;
  for (size_t k = 0; k < kRowKindCount; ++k) {
    text += rt.ConstText(names[k]) + std::string(" ") + Number(static_cast<int64_t>(plan.counts[k])) + gap;
  }
  text += rt.ConstText(t::kImportKindUnmentioned) + std::string(" ") +
          Number(static_cast<int64_t>(plan.not_mentioned.size())) + gap;
  const auto ticked = std::count_if(plan.rows.begin(), plan.rows.end(),
                                    [](const PlannedRow& r) { return r.ticked; });
  text += rt.ConstText(t::kImportKindTicked) + std::string(" ") + Number(ticked);
  SetTextOf(rt, c.counts, text.c_str());
}

// Reads and shows the list; `remap` for a fresh read (the columns from the
// headers), else the choosers' columns hold. False when the list is unusable
// (its message said).
bool Refresh(calls::Calls& rt, const ImportControls& c, bool remap) {
  const calls::OwnedText path = TextOf(rt, c.file);
  const int32_t encoding = EncodingOfChoice(IndexOf(rt, c.encoding));
  const int32_t sheet = std::max(0, IndexOf(rt, c.sheet));
  const ImportPreview p = BuildPreview(rt, c, path.c_str(), encoding, sheet, remap);
  if (!p.list.message.empty()) {
    (void)rt.MessageBox(p.list.message.c_str(), 0);
    rt.ClearList(ObjectOf(c.list));
    return false;
  }
  if (remap) FillChoosers(rt, c, p.list);
  ShowCounts(rt, c, p.plan);
  ShowRows(rt, c, p);
  return true;
}

}  // namespace

void ImportPriceList(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const calls::ValueTriple dialog = ProductDialog(rt);
  rt.SetProperty(dialog.low, dialog.high, prop::kDialogType, kOpenDialog);
  SetDialogText(rt, dialog, prop::kDialogFilter, rt.ConstText(t::kImportFilter));
  SetDialogText(rt, dialog, prop::kDefaultExtension, "");
  SetDialogText(rt, dialog, prop::kFileName, "");
  if (!rt.ShowFileDialog(dialog)) return;
  const calls::OwnedText path = ChosenPath(rt);
  if (path.view().empty()) return;
  // Returns once the window is closed.
  (void)rt.LoadWindow(rt.Id(sym::window::kImport), true);
  // The list shows what an apply or an undo left.
  ListAllProducts(rt);
}

void OnImportWindowCreated(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ImportControls c = ImportWindowControls(rt);
  const calls::OwnedText path = ChosenPath(rt);
  SetTextOf(rt, c.file, path.c_str());
  SetIndexOf(rt, c.filter, 0);
  (void)Refresh(rt, c, true);
}

void ImportReadAgain(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ImportControls c = ImportWindowControls(rt);
  // Another encoding or sheet gives other rows: the ticks start afresh.
  StoreUntickedRows(rt, c, {});
  (void)Refresh(rt, c, true);
}

void ImportPlanAgain(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  (void)Refresh(rt, ImportWindowControls(rt), false);
}

void ToggleImportRow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ImportControls c = ImportWindowControls(rt);
  const calls::ValueTriple list = ObjectOf(c.list);
  const int32_t row = IndexOf(rt, c.list);
  if (row < 0 || row >= rt.GetListRowCount(list)) return;
  const calls::OwnedText kind = rt.GetListCell(list, row, 2);
  // Refused rows cannot be ticked; products the list does not name are not its rows.
  if (kind.view() == rt.ConstText(t::kImportKindRefused) ||
      kind.view() == rt.ConstText(t::kImportKindUnmentioned)) {
    return;
  }
  const int32_t number = rt.TextToInt(rt.GetListCell(list, row, 1).c_str());
  std::vector<int32_t> unticked = UntickedRows(rt, c);
  const auto found = std::find(unticked.begin(), unticked.end(), number);
  if (found == unticked.end()) {
    unticked.push_back(number);
  } else {
    unticked.erase(found);
  }
  StoreUntickedRows(rt, c, unticked);
  (void)Refresh(rt, c, false);
  SetIndexOf(rt, c.list, row);
}

void ApplyImport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const ImportControls c = ImportWindowControls(rt);
  const calls::OwnedText path = TextOf(rt, c.file);
  // Planned again against the catalogue as it is now, not as it was shown.
  const ImportPreview p = BuildPreview(rt, c, path.c_str(), EncodingOfChoice(IndexOf(rt, c.encoding)),
                                       std::max(0, IndexOf(rt, c.sheet)), false);
  if (!p.list.message.empty()) return (void)rt.MessageBox(p.list.message.c_str(), 0);
  const std::vector<LoggedChange> changes = ChangesToApply(p.plan, p.catalogue);
  if (changes.empty()) return (void)rt.MessageBox(rt.ConstText(t::kImportNothingToApply), 0);
  const std::string count = Number(static_cast<int64_t>(changes.size()));
  const std::string ask =
      rt.ConstText(t::kImportConfirmBefore) + count + rt.ConstText(t::kImportConfirmAfter);
  if (rt.MessageBox(ask.c_str(), 1) != 0) return;
  if (!BeforeImportApplied(rt)) return;
  if (!ApplyChanges(rt, changes, p.catalogue, p.category_names)) {
    RollBackUnfinishedImport(rt);
    (void)rt.MessageBox(rt.ConstText(t::kImportApplyFailed), 0);
  } else {
    // Offered again for the next list of these headers; not keeping it
    // loses nothing but the convenience.
    (void)WriteSetting(rt, MappingSettingName(rt, p.list.headers), MapText(p.list.map));
    const std::string done =
        rt.ConstText(t::kImportApplied) + count + rt.ConstText(t::kImportCountEnd);
    (void)rt.MessageBox(done.c_str(), 0);
  }
  StoreUntickedRows(rt, c, {});
  (void)Refresh(rt, c, false);
}

void UndoLastImport(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  if (rt.MessageBox(rt.ConstText(t::kImportConfirmUndo), 1) != 0) return;
  const UndoOutcome out = UndoImportChanges(rt);
  if (out.nothing) return (void)rt.MessageBox(rt.ConstText(t::kImportNothingToUndo), 0);
  if (!out.ok) return (void)rt.MessageBox(rt.ConstText(t::kImportUndoFailed), 0);
  std::string said = rt.ConstText(t::kImportUndone) + Number(static_cast<int64_t>(out.undone)) +
                     rt.ConstText(t::kImportCountEnd);
  if (!out.changed_since.empty()) {
    said += std::string("\r\n") + rt.ConstText(t::kImportChangedSince);
    for (const LoggedChange& changed : out.changed_since) {
      said += "\r\n" + changed.brand + " " + changed.model;
    }
  }
  (void)rt.MessageBox(said.c_str(), 0);
  const ImportControls c = ImportWindowControls(rt);
  (void)Refresh(rt, c, false);
}

void CloseImportWindow(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  rt.UnloadWindow(rt.Id(sym::window::kImport));
}

}  // namespace pcshop::app
