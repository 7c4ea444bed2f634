// The table store's aggregate, batch and upgrade calls.

#include <algorithm>
#include <climits>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::calls {

using image::KernelCommand;

std::optional<std::vector<KeyedSum>> Calls::SumGrouped(const char* sum_field,
                                                       std::span<const char* const> keys) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(1 + keys.size());
  arguments.push_back(Arg(sum_field));
  for (const char* key : keys) arguments.push_back(Arg(key));
  const OwnedBinary result = TakeBinary(Kernel(KernelCommand::kSumGrouped, arguments));
  if (result.get() == nullptr) return std::nullopt;
  return DecodeKeyedSums(result.bytes());
}

std::optional<std::vector<RangedGroup>> Calls::SumInRange(const char* date_field, int64_t first,
                                                         int64_t last,
                                                         std::span<const char* const> terms,
                                                         std::span<const char* const> keys) {
  // Day numbers of years 1900 to 9999 fit 32 bits; the term count tells the
  // runtime where the keys begin.
  std::vector<ValueTriple> arguments;
  arguments.reserve(4 + terms.size() + keys.size());
  arguments.push_back(Arg(date_field));
  arguments.push_back(Int(static_cast<int32_t>(std::clamp<int64_t>(first, INT32_MIN, INT32_MAX))));
  arguments.push_back(Int(static_cast<int32_t>(std::clamp<int64_t>(last, INT32_MIN, INT32_MAX))));
  arguments.push_back(Int(static_cast<int32_t>(terms.size())));
  for (const char* term : terms) arguments.push_back(Arg(term));
  for (const char* key : keys) arguments.push_back(Arg(key));
  const OwnedBinary result = TakeBinary(Kernel(KernelCommand::kSumInRange, arguments));
  if (result.get() == nullptr) return std::nullopt;
  return DecodeRangedGroups(result.bytes());
}

std::optional<std::vector<TextRow>> Calls::ReadMatching(const char* match_field, const char* value,
                                                        std::span<const char* const> fields) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(2 + fields.size());
  arguments.push_back(Arg(match_field));
  arguments.push_back(Arg(value));
  for (const char* field : fields) arguments.push_back(Arg(field));
  const OwnedBinary result = TakeBinary(Kernel(KernelCommand::kReadMatching, arguments));
  if (result.get() == nullptr) return std::nullopt;
  return DecodeTextRows(result.bytes());
}

bool Calls::AppendRecords(int32_t per_record, std::span<const ValueTriple> values) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(1 + values.size());
  arguments.push_back(Int(per_record));
  arguments.insert(arguments.end(), values.begin(), values.end());
  return Kernel(KernelCommand::kAppendRecords, arguments).low != 0;
}

bool Calls::WriteRecords(int32_t per_record, std::span<const ValueTriple> values) {
  std::vector<ValueTriple> arguments;
  arguments.reserve(1 + values.size());
  arguments.push_back(Int(per_record));
  arguments.insert(arguments.end(), values.begin(), values.end());
  return Kernel(KernelCommand::kWriteRecords, arguments).low != 0;
}

bool Calls::UpgradeTable(const char* path, std::span<const FieldRecord> fields) {
  // The field list goes as CreateTable's does: an array value of addresses.
  std::vector<uint64_t> array;
  array.reserve(1 + fields.size());
  array.push_back(1 | (static_cast<uint64_t>(fields.size()) << 32));
  for (const FieldRecord& field : fields) array.push_back(reinterpret_cast<uintptr_t>(&field));
  return Kernel(KernelCommand::kUpgradeTable,
                {Arg(path), LibraryValue(array.data(), TypeId::kFieldList)})
             .low != 0;
}

int32_t Calls::ChangeCount() {
  return static_cast<int32_t>(Kernel(KernelCommand::kChangeCount, {}).low);
}

bool Calls::ReadSnapshot(bool begin) {
  return Kernel(KernelCommand::kReadSnapshot, {Int(begin ? 1 : 0)}).low != 0;
}

}  // namespace pcshop::calls
