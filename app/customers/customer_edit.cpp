// 新增, 修改 and 删除 of the customer window, each confirmed by the user and
// reported afterwards.

#include <cstring>
#include <string>
#include <string_view>

#include "app/app_calls.h"
#include "app/customers/customer_controls.h"
#include "app/customers/customer_record.h"
#include "app/customers/customer_register.h"
#include "app/routines.h"

namespace pcshop::app {
namespace {

namespace t = sym::text;

constexpr int32_t kDateAndTime = 1;

// The inputs as they stand.
struct Inputs {
  calls::OwnedText name;
  calls::OwnedText pinyin;
  calls::OwnedText category;
  calls::OwnedText unit;
  calls::OwnedText phone;
  calls::OwnedText receivable;
  calls::OwnedText payable;
  calls::OwnedText remark;
};

Inputs ReadInputs(calls::Calls& rt, const CustomerBoxes& box) {
  return {TextOf(rt, box.name),    TextOf(rt, box.pinyin), TextOf(rt, box.category),
          TextOf(rt, box.unit),    TextOf(rt, box.phone),  TextOf(rt, box.receivable),
          TextOf(rt, box.payable), TextOf(rt, box.remark)};
}

void Say(calls::Calls& rt, uint32_t text) {
  (void)rt.MessageBox(rt.ConstText(text), 0);
}
bool Confirmed(calls::Calls& rt, const std::string& text) {
  return rt.MessageBox(text.c_str(), 1) == 0;
}

// Whether some record, from the first on, has `text` in field `field`.
bool AnyRecordHas(calls::Calls& rt, const char* field, const char* text) {
  (void)rt.GoFirst();
  return rt.FindRecord([&] {
    const calls::OwnedText value = rt.ReadFieldText(field, {});
    return std::strcmp(value.c_str(), text) == 0;
  });
}

// Finds the first record named like the name box; the pointer stays on it.
bool FindByName(calls::Calls& rt, const CustomerFieldNames& names, const char* name) {
  return AnyRecordHas(rt, names.name, name);
}

std::string Now(calls::Calls& rt) {
  return std::string(rt.DateToText(rt.Now(), kDateAndTime).view());
}

// Appends label `label` and `value` to `text`.
void Line(calls::Calls& rt, std::string& text, uint32_t label, std::string_view value) {
  text.append(rt.ConstText(label)).append(value);
}

// The nine values of a record from the inputs, stamped with the time now.
struct RecordValues {
  explicit RecordValues(calls::Calls& rt, const Inputs& in)
      : date(Now(rt)),
        values{calls::Text(in.name.c_str()),
               calls::Text(in.pinyin.c_str()),
               calls::Text(in.category.c_str()),
               calls::Text(in.unit.c_str()),
               calls::Text(in.phone.c_str()),
               calls::Int(rt.TextToInt(in.receivable.c_str())),
               calls::Int(rt.TextToInt(in.payable.c_str())),
               calls::Text(in.remark.c_str()),
               calls::Text(date.c_str())} {}
  std::string date;
  calls::ValueTriple values[9];
};

void Rebuilt(calls::Calls& rt, uint32_t message) {
  ListCustomers(rt);
  ClearCustomerInputs(rt);
  Say(rt, message);
}

}  // namespace

void AddCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  SelectCustomerTable(rt);
  const CustomerBoxes box = CustomerInputs(rt);
  Inputs in = ReadInputs(rt, box);
  if (in.name.view().empty()) return Say(rt, t::kEnterCustomerName);
  if (in.category.view().empty()) return Say(rt, t::kChooseCustomerCategory);
  if (in.category.view() != rt.ConstText(t::kKindPerson) && in.unit.view().empty()) {
    return Say(rt, t::kChooseCustomerUnit);
  }
  if (in.phone.view().empty()) {
    if (!Confirmed(rt, rt.ConstText(t::kAskNoPhone))) return;
    Say(rt, t::kNoPhoneGiven);
  }
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  if (AnyRecordHas(rt, names.name, in.name.c_str())) return Say(rt, t::kDuplicateName);
  if (AnyRecordHas(rt, names.pinyin, in.pinyin.c_str())) {
    // Made unique with the number of customers so far; not tested again.
    const calls::OwnedText count = rt.ToText(rt.RecordCount());
    const std::string code = std::string(in.pinyin.view()) + count.c_str();
    SetTextOf(rt, box.pinyin, code.c_str());
    in.pinyin = TextOf(rt, box.pinyin);
  }
  // Customers without a phone are many; only a phone given must be unique.
  if (!in.phone.view().empty() && AnyRecordHas(rt, names.phone, in.phone.c_str())) {
    return Say(rt, t::kDuplicatePhone);
  }
  std::string ask = rt.ConstText(t::kAddingCustomer);
  ask.append(in.name.view());
  Line(rt, ask, t::kLineCategory, in.category.view());
  Line(rt, ask, t::kLineUnit, in.unit.view());
  Line(rt, ask, t::kLinePhone, in.phone.view());
  Line(rt, ask, t::kLineReceivable, in.receivable.view());
  Line(rt, ask, t::kLinePayable, in.payable.view());
  Line(rt, ask, t::kLineFilingDate, Now(rt));
  Line(rt, ask, t::kLineRemark, in.remark.view());
  ask += rt.ConstText(t::kConfirmAddCustomerEnd);
  if (!Confirmed(rt, ask)) return;
  const RecordValues record(rt, in);
  // The name test again, inside the write: another running copy may have
  // added the name while the question was open.
  const char* const key[] = {names.name};
  switch (rt.AppendUniqueRecord(key, record.values)) {
    case calls::Calls::AppendOutcome::kAppended: break;
    case calls::Calls::AppendOutcome::kSameKeyExists: return Say(rt, t::kDuplicateName);
    case calls::Calls::AppendOutcome::kFailed: return Say(rt, t::kAddFailed);
  }
  Rebuilt(rt, t::kAddSucceeded);
}

void ModifyCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  SelectCustomerTable(rt);
  const Inputs in = ReadInputs(rt, CustomerInputs(rt));
  if (in.name.view().empty()) return;
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  if (!FindByName(rt, names, in.name.c_str())) return;
  const calls::OwnedText old_name = rt.ReadFieldText(names.name, {});
  const calls::OwnedText old_category = rt.ReadFieldText(names.category, {});
  const calls::OwnedText old_unit = rt.ReadFieldText(names.unit, {});
  const calls::OwnedText old_phone = rt.ReadFieldText(names.phone, {});
  const calls::OwnedText old_receivable = rt.ToText(rt.ReadFieldInt(names.receivable, {}));
  const calls::OwnedText old_payable = rt.ToText(rt.ReadFieldInt(names.payable, {}));
  const std::string m1 = Now(rt);
  const calls::OwnedText old_remark = rt.ReadFieldText(names.remark, {});
  const std::string m2 = Now(rt);
  std::string ask = rt.ConstText(t::kModifyingCustomer);
  ask.append(old_name.view());
  Line(rt, ask, t::kLineOldCategoryBare, old_category.view());
  Line(rt, ask, t::kLineOldUnitBare, old_unit.view());
  Line(rt, ask, t::kLinePhoneBare, old_phone.view());
  Line(rt, ask, t::kLineOldReceivableBare, old_receivable.view());
  Line(rt, ask, t::kLineOldPayableBare, old_payable.view());
  Line(rt, ask, t::kLineFilingDateBare, m1);
  Line(rt, ask, t::kLineOldRemarkBare, old_remark.view());
  Line(rt, ask, t::kLineNewNameBare, in.name.view());
  Line(rt, ask, t::kLineNewCategoryBare, in.category.view());
  Line(rt, ask, t::kLineNewUnitBare, in.unit.view());
  Line(rt, ask, t::kLineNewPhoneBare, in.phone.view());
  Line(rt, ask, t::kLineNewReceivableBare, in.receivable.view());
  Line(rt, ask, t::kLineNewPayableBare, in.payable.view());
  Line(rt, ask, t::kLineFilingDateBare, m2);
  Line(rt, ask, t::kLineNewRemarkBare, in.remark.view());
  ask += rt.ConstText(t::kConfirmModifyCustomerEnd);
  if (!Confirmed(rt, ask)) return;
  const RecordValues record(rt, in);
  if (!rt.ModifyRecord(record.values)) return Say(rt, t::kModifyFailed);
  Rebuilt(rt, t::kModifySucceeded);
}

void DeleteCustomer(const calls::RoutineCall& call) {
  calls::Calls rt = AppCalls(call);
  SelectCustomerTable(rt);
  const Inputs in = ReadInputs(rt, CustomerInputs(rt));
  if (in.name.view().empty()) return;
  const CustomerFieldNames names = CustomerFieldNamesOf(rt);
  if (!FindByName(rt, names, in.name.c_str())) return;
  std::string ask = rt.ConstText(t::kDeletingCustomer);
  ask.append(in.name.view());
  Line(rt, ask, t::kLineCategoryBare, in.category.view());
  Line(rt, ask, t::kLineUnitBare, in.unit.view());
  Line(rt, ask, t::kLinePhoneBare, in.phone.view());
  Line(rt, ask, t::kLineReceivableBare, in.receivable.view());
  Line(rt, ask, t::kLinePayableBare, in.payable.view());
  Line(rt, ask, t::kLineFilingDateBare, Now(rt));
  Line(rt, ask, t::kLineRemarkBare, in.remark.view());
  ask += rt.ConstText(t::kConfirmDeleteCustomerEnd);
  if (!Confirmed(rt, ask)) return;
  // One step: a delete cut short leaves no mark for a later purge to act on.
  if (!rt.RemoveRecord()) return Say(rt, t::kDeleteFailed);
  Rebuilt(rt, t::kDeleteSucceeded);
}

}  // namespace pcshop::app
