#include "runtime/kernel/stock_commands.h"

#include <string>
#include <vector>

#include "image/calls/group_sums.h"
#include "runtime/kernel/field_list_argument.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"

namespace pcshop::kernel {

using calls::ValueTriple;
using image::KernelCommand;

namespace {

// SumGrouped(sum field, key field ...): the groups as a binary value
// (image/calls/group_sums.h); an omitted value when the sum fails.
ValueTriple SumGrouped(tables::TableStore& t, const CommandArguments& a) {
  std::vector<std::string> keys;
  for (size_t i = 1; i < a.size(); ++i) keys.emplace_back(a.Text(i));
  const Result<std::vector<tables::GroupSum>> groups = t.SumGrouped(a.Text(0), keys);
  if (!groups.ok()) return {};
  std::vector<calls::KeyedSum> out;
  out.reserve(groups->size());
  for (const tables::GroupSum& g : *groups) out.push_back({g.keys, g.sum});
  return BinaryResult(calls::EncodeKeyedSums(static_cast<uint32_t>(keys.size()), out));
}

// AppendRecords(values per record, values ...): the values split into
// records of that many; a rest that is not a whole record is refused.
ValueTriple AppendRecords(tables::TableStore& t, const CommandArguments& a) {
  const int32_t width = a.Int(0);
  const Result<std::vector<tables::FieldSpec>> fields = t.Fields();
  if (!fields.ok() || width < 1 || static_cast<size_t>(width) > fields->size()) {
    return calls::Logical(false);
  }
  const size_t given = a.size() - 1;
  if (given == 0 || given % static_cast<size_t>(width) != 0) return calls::Logical(false);
  std::vector<std::vector<tables::FieldValue>> records(given / static_cast<size_t>(width));
  for (size_t i = 0; i < given; ++i) {
    const size_t field = i % static_cast<size_t>(width);
    tables::OptionalValue v = a.FieldValue(1 + i);
    if (!v) {
      v = (*fields)[field].type_code == tables::kIntegerField ? tables::FieldValue(0)
                                                             : tables::FieldValue(std::string());
    }
    records[i / static_cast<size_t>(width)].push_back(std::move(*v));
  }
  return calls::Logical(t.AppendRecords(records).ok());
}

}  // namespace

std::optional<ValueTriple> StockTableCommand(Runtime& rt, KernelCommand command,
                                             const CommandArguments& a) {
  tables::TableStore& t = rt.tables();
  switch (command) {
    case KernelCommand::kSumGrouped: return SumGrouped(t, a);
    case KernelCommand::kAppendRecords: return AppendRecords(t, a);
    case KernelCommand::kUpgradeTable: {
      const std::vector<tables::FieldSpec> fields = FieldList(a.size() > 1 ? a[1] : ValueTriple{});
      return calls::Logical(t.UpgradeTable(a.Text(0), fields).ok());
    }
    default: return std::nullopt;
  }
}

}  // namespace pcshop::kernel
