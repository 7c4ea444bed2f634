// The panel's 新增, 修改 and 删除, with their confirmations; the product
// management window refreshes its list around them.

#include <string>
#include <string_view>

#include "app/app_calls.h"
#include "app/catalogue/category_tables.h"
#include "app/catalogue/entry_panel.h"
#include "app/catalogue/picked_record.h"
#include "app/catalogue/product_fields.h"
#include "app/catalogue/product_list.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

// The panel's five inputs as they stand.
struct Inputs {
  calls::OwnedText kind;
  calls::OwnedText brand;
  calls::OwnedText model;
  calls::OwnedText price;
  calls::OwnedText remark;
};

Inputs ReadInputs(calls::Calls& rt, const EntryPanel& panel) {
  return {TextOf(rt, panel.kind), TextOf(rt, panel.brand), TextOf(rt, panel.model),
          TextOf(rt, panel.price), TextOf(rt, panel.remark)};
}

// `head` and the 品名, 品牌 and 型号 lines.
std::string ThreeLines(calls::Calls& rt, const char* head, std::string_view kind,
                       std::string_view brand, std::string_view model) {
  std::string text = head;
  text.append(kind).append(rt.ConstText(t::kLineBrand)).append(brand);
  text.append(rt.ConstText(t::kLineModel)).append(model);
  return text;
}

// The same followed by the 价格 and 备注 lines.
std::string FiveLines(calls::Calls& rt, const char* head, std::string_view kind,
                      std::string_view brand, std::string_view model, std::string_view price,
                      std::string_view remark) {
  std::string text = ThreeLines(rt, head, kind, brand, model);
  text.append(rt.ConstText(t::kLinePrice)).append(price);
  text.append(rt.ConstText(t::kLineRemark)).append(remark);
  return text;
}

void Say(calls::Calls& rt, uint32_t text) { (void)rt.MessageBox(rt.ConstText(text), 0); }
bool Confirmed(calls::Calls& rt, const std::string& text) {
  return rt.MessageBox(text.c_str(), 1) == 0;
}

void Add(calls::Calls& rt, const EntryPanel& panel) {
  const Inputs in = ReadInputs(rt, panel);
  if (in.kind.view().empty()) return;
  SelectCategoryByName(rt, in.kind.c_str());
  if (in.model.view().empty()) return;
  const ProductFieldNames names = FieldNames(rt);
  if (rt.FindRecord([&] {
        return FieldEquals(rt, names.brand, in.brand.c_str()) &&
               FieldEquals(rt, names.model, in.model.c_str());
      })) {
    Say(rt, t::kDuplicateModel);
    return;
  }
  std::string ask = FiveLines(rt, rt.ConstText(t::kAddingProduct), in.kind.view(),
                              in.brand.view(), in.model.view(), in.price.view(),
                              in.remark.view());
  ask += rt.ConstText(t::kConfirmAddProductEnd);
  if (!Confirmed(rt, ask)) {
    Say(rt, t::kAddFailed);
    return;
  }
  const calls::ValueTriple values[] = {calls::Text(in.kind.c_str()), calls::Text(in.brand.c_str()),
                                       calls::Text(in.model.c_str()),
                                       calls::Int(rt.TextToInt(in.price.c_str())),
                                       calls::Text(in.remark.c_str())};
  // The duplicate test again, inside the write: another running copy may
  // have added the model while the question was open.
  const char* const key[] = {names.brand, names.model};
  switch (rt.AppendUniqueRecord(key, values)) {
    case calls::Calls::AppendOutcome::kAppended: break;
    case calls::Calls::AppendOutcome::kSameKeyExists: Say(rt, t::kDuplicateModel); return;
    case calls::Calls::AppendOutcome::kFailed: Say(rt, t::kAddFailed); return;
  }
  if (!panel.product_window) {
    Say(rt, t::kAddSucceeded);
    return;
  }
  SetIndexOf(rt, ProductQueryBox(rt), IndexOf(rt, panel.kind));
  ClearEntryDetails(rt);
  Say(rt, t::kAddSucceeded);
  ListBrand(rt);
}

void Modify(calls::Calls& rt, const EntryPanel& panel) {
  const Inputs in = ReadInputs(rt, panel);
  if (in.kind.view().empty() || in.model.view().empty()) return;
  (void)rt.SelectTable(CategoryTablePath(rt, in.kind.c_str()).c_str());
  const int32_t count = rt.RecordCount();
  if (count == 0) return;
  (void)rt.GoFirst();
  const ProductFieldNames names = FieldNames(rt);
  const PickedView picked = ReadPicked(rt);
  const int32_t price = rt.TextToInt(in.price.c_str());
  for (int32_t n = 1; n <= count; ++n) {
    (void)rt.GoToRecord(n);
    const ProductRow old = ReadProduct(rt, names);
    if (old.brand.view() != picked.brand || old.model.view() != picked.model) continue;
    if (in.kind.view() == picked.kind && in.brand.view() == picked.brand &&
        in.model.view() == picked.model && price == picked.price &&
        in.remark.view() == picked.remark) {
      Say(rt, t::kSameAsBefore);
      return;
    }
    const calls::OwnedText table = rt.CurrentTableName();
    const calls::OwnedText old_price = rt.ToText(old.price);
    std::string ask = rt.ConstText(t::kModifyingProduct);
    ask.append(table.view()).append(rt.ConstText(t::kLineOldKind)).append(old.kind.view());
    ask.append(rt.ConstText(t::kLineOldBrand)).append(old.brand.view());
    ask.append(rt.ConstText(t::kLineOldModel)).append(old.model.view());
    ask.append(rt.ConstText(t::kLineOldPrice)).append(old_price.view());
    ask.append(rt.ConstText(t::kLineOldRemark)).append(old.remark.view());
    ask.append(rt.ConstText(t::kLineNewKind)).append(in.kind.view());
    ask.append(rt.ConstText(t::kLineNewBrand)).append(in.brand.view());
    ask.append(rt.ConstText(t::kLineNewModel)).append(in.model.view());
    ask.append(rt.ConstText(t::kLineNewPrice)).append(in.price.view());
    ask.append(rt.ConstText(t::kLineNewRemark)).append(in.remark.view());
    ask.append(rt.ConstText(t::kConfirmEnd));
    if (!Confirmed(rt, ask)) continue;
    const calls::ValueTriple values[] = {calls::Omitted(), calls::Text(in.brand.c_str()),
                                         calls::Text(in.model.c_str()), calls::Int(price),
                                         calls::Text(in.remark.c_str())};
    if (!rt.ModifyRecord(values)) {
      Say(rt, t::kModifyFailed);
      continue;
    }
    if (panel.product_window) ListCategory(rt);
    const Inputs now = ReadInputs(rt, panel);
    std::string done = FiveLines(rt, rt.ConstText(t::kLabelKind), now.kind.view(),
                                 now.brand.view(), now.model.view(), now.price.view(),
                                 now.remark.view());
    done += rt.ConstText(t::kModifiedEnd);
    (void)rt.MessageBox(done.c_str(), 0);
    if (panel.product_window) ClearEntryDetails(rt);
    return;
  }
}

// A box counts as given when an item is selected or it holds text.
bool Given(calls::Calls& rt, const ControlRef& box) {
  return IndexOf(rt, box) != -1 || !TextOf(rt, box).view().empty();
}

void Delete(calls::Calls& rt, const EntryPanel& panel) {
  if (!Given(rt, panel.kind) || !Given(rt, panel.brand) || !Given(rt, panel.model)) return;
  const Inputs in = ReadInputs(rt, panel);
  SelectCategoryByName(rt, in.kind.c_str());
  const ProductFieldNames names = FieldNames(rt);
  // Brand and model together, as the duplicate check of 新增 does: by model
  // alone another brand's product of the same model would go.
  auto same_product = [&] {
    return FieldEquals(rt, names.brand, in.brand.c_str()) &&
           FieldEquals(rt, names.model, in.model.c_str());
  };
  if (!rt.FindRecord(same_product)) return;
  const ProductRow record = ReadProduct(rt, names);
  const calls::OwnedText table = rt.CurrentTableName();
  const calls::OwnedText price = rt.ToText(record.price);
  std::string ask = rt.ConstText(t::kDeletingProduct);
  ask.append(table.view());
  ask += FiveLines(rt, rt.ConstText(t::kLineKindAfterBlank), record.kind.view(),
                   record.brand.view(), record.model.view(), price.view(), record.remark.view());
  ask += rt.ConstText(t::kConfirmEnd);
  if (!Confirmed(rt, ask)) return;
  if (!rt.FindRecord(same_product)) return;
  // One step: a delete cut short leaves no mark for a later purge to act on.
  if (!rt.RemoveRecord()) {
    Say(rt, t::kDeleteFailed);
    return;
  }
  std::string done =
      ThreeLines(rt, rt.ConstText(t::kLabelKind), in.kind.view(), in.brand.view(), in.model.view());
  done += rt.ConstText(t::kDeletedEnd);
  (void)rt.MessageBox(done.c_str(), 0);
}

}  // namespace

void AddQuoteProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Add(rt, QuotePanel(rt));
}

void AddProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Add(rt, ProductPanel(rt));
}

void ModifyQuoteProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Modify(rt, QuotePanel(rt));
}

void ModifyProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Modify(rt, ProductPanel(rt));
}

void DeleteProduct(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  Delete(rt, OpenPanel(rt));
}

}  // namespace pcshop::app
