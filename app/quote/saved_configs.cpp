// The quote window's saved configurations: the name box's list, loading a
// name chosen there, saving the sheet under the name box's text and deleting
// the configuration of that name.

#include <string>

#include "app/app_calls.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/product_fields.h"
#include "app/quote/config_record.h"
#include "app/quote/quote_sheet.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

void SelectConfigTable(calls::Calls& rt) {
  (void)rt.SelectTable(rt.ConstText(t::kConfigTable));
}

// Scans from the record pointer for the record named `name`.
bool FindConfig(calls::Calls& rt, const char* name) {
  const char* field = rt.ConstText(t::kFieldConfigName);
  return rt.FindRecord([&] { return FieldEquals(rt, field, name); });
}

void Say(calls::Calls& rt, uint32_t text) { (void)rt.MessageBox(rt.ConstText(text), 0); }

// Whether the name box's text is the item chosen from its list. A selection
// alone is not enough: after choosing one name the user may type another,
// and the record of that other name must not be overwritten unasked.
bool ChosenFromList(calls::Calls& rt, const ControlRef& name_box, const char* name) {
  if (IndexOf(rt, name_box) == -1) return false;
  return SelectedItemOf(rt, name_box).view() == name;
}

// Appends the sheet under its name unless a record of that name exists: the
// test is repeated inside the write, so two counters saving the same new name
// at once do not both add it.
bool Append(calls::Calls& rt, const SheetValues& values) {
  const char* const key[] = {rt.ConstText(t::kFieldConfigName)};
  return rt.AppendUniqueRecord(key, values.values()) == calls::Calls::AppendOutcome::kAppended;
}

}  // namespace

void FillConfigNames(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  SelectConfigTable(rt);
  const calls::ValueTriple box = ObjectOf(sheet.name_box);
  rt.ClearCombo(box);
  const char* field = rt.ConstText(t::kFieldConfigName);
  const int32_t count = rt.RecordCount();
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    const calls::OwnedText name = rt.ReadFieldText(field, {});
    if (!name.view().empty()) (void)rt.AddComboItem(box, name.c_str());
  }
}

void LoadConfig(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  SelectConfigTable(rt);
  ClearSheetForLoad(rt, sheet);
  (void)rt.GoFirst();
  const int32_t count = rt.RecordCount();
  if (count == 0) {
    Say(rt, t::kNoStandardConfig);
    return;
  }
  if (TextOf(rt, sheet.name_box).view().empty()) {
    std::string name = rt.ConstText(t::kStandardConfigPrefix);
    name.append(rt.ToText(count).view());
    SetTextOf(rt, sheet.name_box, name.c_str());
  }
  const calls::OwnedText name = TextOf(rt, sheet.name_box);
  if (!FindConfig(rt, name.c_str())) return;
  ShowRecordOnSheet(rt, sheet);
}

void NameBoxLeft(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  if (TextOf(rt, QuoteSheetControls(rt).name_box).view().empty()) ResetQuoteSheet(rt);
}

void SaveConfig(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  SelectConfigTable(rt);
  (void)rt.GoFirst();
  const std::string stamp = ConfigStamp(rt);
  const calls::OwnedText name = TextOf(rt, sheet.name_box);
  if (name.view().empty()) {
    Say(rt, t::kEnterConfigName);
    return;
  }
  const SheetValues values(rt, sheet, stamp);
  if (!values.exact()) {
    Say(rt, t::kConfigNumberTooLarge);
    return;
  }
  if (!FindConfig(rt, name.c_str())) {
    if (Append(rt, values)) {
      Say(rt, t::kConfigWritten);
      return;
    }
  }
  // A name that exists is overwritten only when it was chosen from the list.
  if (FindConfig(rt, name.c_str()) && ChosenFromList(rt, sheet.name_box, name.c_str()) &&
      rt.RecordCount() != 0) {
    if (rt.ModifyRecord(values.values())) {
      Say(rt, t::kConfigModified);
      return;
    }
  }
  if (rt.RecordCount() != 0) {
    Say(rt, t::kConfigWriteFailed);
    return;
  }
  // An empty table gets one more attempt.
  Say(rt, Append(rt, values) ? t::kConfigWritten : t::kConfigWriteFailed);
}

void DeleteConfig(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  const QuoteSheet sheet = QuoteSheetControls(rt);
  if (IndexOf(rt, sheet.name_box) == -1) return;
  SelectConfigTable(rt);
  (void)rt.GoFirst();
  const calls::OwnedText name = TextOf(rt, sheet.name_box);
  if (!FindConfig(rt, name.c_str())) return;
  std::string ask = rt.ConstText(t::kConfirmDeleteConfig);
  ask.append(name.view()).append(rt.ConstText(t::kConfirmDeleteConfigEnd));
  if (rt.MessageBox(ask.c_str(), 1) != 0) return;
  // One step: a delete cut short leaves no mark for a later purge to act on.
  const bool deleted = rt.RemoveRecord();
  std::string said = rt.ConstText(t::kConfigSheetLabel);
  if (deleted) {
    ResetQuoteSheet(rt);
    // Dropping the selection empties an editable box's text; the message
    // names the configuration that went, as the question named it.
    SetIndexOf(rt, sheet.name_box, -1);
    said.append(name.view()).append(rt.ConstText(t::kConfigDeletedEnd));
  } else {
    said.append(TextOf(rt, sheet.name_box).view())
        .append(rt.ConstText(t::kConfigDeleteFailedEnd));
  }
  (void)rt.MessageBox(said.c_str(), 0);
}

}  // namespace pcshop::app
