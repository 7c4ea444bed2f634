#include "runtime/kernel/stock_commands.h"

#include <string>
#include <vector>

#include "image/calls/group_sums.h"
#include "image/calls/matching_rows.h"
#include "image/calls/ranged_sums.h"
#include "runtime/kernel/field_list_argument.h"
#include "runtime/kernel/runtime.h"
#include "runtime/kernel/runtime_memory.h"

namespace pcshop::kernel {

using calls::ValueTriple;
using image::KernelCommand;

namespace {

// SumGrouped(sum field, key field ...): the groups as a binary value
// (image/calls/group_sums.h); an omitted value when the sum fails.
ValueTriple SumGrouped(Runtime& rt, const CommandArguments& a) {
  std::vector<std::string> keys;
  for (size_t i = 1; i < a.size(); ++i) keys.emplace_back(a.Text(i));
  const Result<std::vector<tables::GroupSum>> groups = rt.tables().SumGrouped(a.Text(0), keys);
  rt.NoteTables(groups.status());
  if (!groups.ok()) return {};
  std::vector<calls::KeyedSum> out;
  out.reserve(groups->size());
  for (const tables::GroupSum& g : *groups) out.push_back({g.keys, g.sum});
  return BinaryResult(calls::EncodeKeyedSums(static_cast<uint32_t>(keys.size()), out));
}

// SumInRange(date field, first day, last day, term count, terms ..., keys
// ...): the groups as a binary value (image/calls/ranged_sums.h); an omitted
// value when the sum fails or the term count does not fit the arguments.
ValueTriple SumInRange(Runtime& rt, const CommandArguments& a) {
  const int32_t term_count = a.Int(3);
  if (a.size() < 4 || term_count < 1 || static_cast<size_t>(term_count) > a.size() - 4) return {};
  std::vector<std::string> terms, keys;
  for (size_t i = 4; i < a.size(); ++i) {
    (i < 4 + static_cast<size_t>(term_count) ? terms : keys).emplace_back(a.Text(i));
  }
  const Result<std::vector<tables::RangedSum>> groups =
      rt.tables().SumInRange(a.Text(0), tables::DayRange{a.Int(1), a.Int(2)}, terms, keys);
  rt.NoteTables(groups.status());
  if (!groups.ok()) return {};
  std::vector<calls::RangedGroup> out;
  out.reserve(groups->size());
  for (const tables::RangedSum& g : *groups) out.push_back({g.keys, g.sums, g.count});
  return BinaryResult(calls::EncodeRangedGroups(static_cast<uint32_t>(keys.size()),
                                                static_cast<uint32_t>(terms.size()), out));
}

// ReadMatching(match field, value, field ...): the matching records' fields
// as a binary value (image/calls/matching_rows.h); an omitted value when the
// read fails.
ValueTriple ReadMatching(Runtime& rt, const CommandArguments& a) {
  std::vector<std::string> chosen;
  for (size_t i = 2; i < a.size(); ++i) chosen.emplace_back(a.Text(i));
  const Result<std::vector<tables::MatchingRow>> rows =
      rt.tables().ReadMatching(a.Text(0), a.Text(1), chosen);
  rt.NoteTables(rows.status());
  if (!rows.ok()) return {};
  std::vector<calls::TextRow> out;
  out.reserve(rows->size());
  for (const tables::MatchingRow& row : *rows) {
    calls::TextRow& texts = out.emplace_back();
    texts.reserve(row.size());
    for (const tables::FieldValue& v : row) {
      texts.push_back(tables::IsText(v) ? std::get<std::string>(v)
                                        : std::to_string(std::get<int64_t>(v)));
    }
  }
  return BinaryResult(calls::EncodeTextRows(static_cast<uint32_t>(chosen.size()), out));
}

// AppendRecords(values per record, values ...): the values split into
// records of that many; a rest that is not a whole record is refused.
ValueTriple AppendRecords(Runtime& rt, const CommandArguments& a) {
  tables::TableStore& t = rt.tables();
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
  const Status appended = t.AppendRecords(records);
  rt.NoteTables(appended);
  return calls::Logical(appended.ok());
}

// WriteRecords(values per record, then per record: its number, 0 to
// append, and that many values): one transaction. An omitted value keeps a
// modified record's field and gives an appended one its empty value.
ValueTriple WriteRecords(Runtime& rt, const CommandArguments& a) {
  tables::TableStore& t = rt.tables();
  const int32_t width = a.Int(0);
  const Result<std::vector<tables::FieldSpec>> fields = t.Fields();
  if (!fields.ok() || width < 1 || static_cast<size_t>(width) > fields->size()) {
    return calls::Logical(false);
  }
  const size_t step = static_cast<size_t>(width) + 1;
  const size_t given = a.size() - 1;
  if (given == 0 || given % step != 0) return calls::Logical(false);
  std::vector<tables::RecordWrite> writes(given / step);
  for (size_t w = 0; w < writes.size(); ++w) {
    const size_t first = 1 + w * step;
    writes[w].record = a.Int(first);
    for (size_t i = 1; i < step; ++i) writes[w].values.push_back(a.FieldValue(first + i));
  }
  const Status written = t.WriteRecords(writes);
  rt.NoteTables(written);
  return calls::Logical(written.ok());
}

}  // namespace

std::optional<ValueTriple> StockTableCommand(Runtime& rt, KernelCommand command,
                                             const CommandArguments& a) {
  tables::TableStore& t = rt.tables();
  // After the server box in this user action: failed at once (kernel_commands.cpp).
  const bool barred = rt.server_failure_said();
  switch (command) {
    case KernelCommand::kSumGrouped: return barred ? ValueTriple{} : SumGrouped(rt, a);
    case KernelCommand::kReadMatching: return barred ? ValueTriple{} : ReadMatching(rt, a);
    case KernelCommand::kSumInRange: return barred ? ValueTriple{} : SumInRange(rt, a);
    case KernelCommand::kAppendRecords: return barred ? calls::Logical(false) : AppendRecords(rt, a);
    case KernelCommand::kWriteRecords: return barred ? calls::Logical(false) : WriteRecords(rt, a);
    case KernelCommand::kReadSnapshot: {
      // Ending is never barred: a snapshot must not outlive the action.
      if (a.Int(0) == 0) {
        t.EndSnapshot();
        return calls::Logical(true);
      }
      if (barred) return calls::Logical(false);
      const Status begun = t.BeginSnapshot();
      rt.NoteTables(begun);
      return calls::Logical(begun.ok());
    }
    case KernelCommand::kChangeCount: {
      // -1 when it cannot be read: never equal to a counter seen before
      // it, so a reader rebuilds rather than trusting old data.
      if (barred) return calls::Int(-1);
      const Result<int64_t> count = t.ChangeCount();
      rt.NoteTables(count.status());
      return calls::Int(count.ok() ? static_cast<int32_t>(*count & 0x7FFFFFFF) : -1);
    }
    case KernelCommand::kUpgradeTable: {
      if (barred) return calls::Logical(false);
      const std::vector<tables::FieldSpec> fields = FieldList(a.size() > 1 ? a[1] : ValueTriple{});
      const Status upgraded = t.UpgradeTable(a.Text(0), fields);
      rt.NoteTables(upgraded);
      return calls::Logical(upgraded.ok());
    }
    default: return std::nullopt;
  }
}

}  // namespace pcshop::kernel
