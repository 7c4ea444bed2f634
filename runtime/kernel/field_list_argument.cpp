#include "runtime/kernel/field_list_argument.h"

#include <cstdint>
#include <cstring>

namespace pcshop::kernel {

using calls::ValueTriple;

std::vector<tables::FieldSpec> FieldList(const ValueTriple& list) {
  std::vector<tables::FieldSpec> fields;
  if (list.type != static_cast<uint32_t>(calls::TypeId::kFieldList)) return fields;
  const auto* block = list.AsPointer<const uint8_t>();
  if (block == nullptr) return fields;
  uint32_t dimensions = 0, count = 0;
  std::memcpy(&dimensions, block, 4);
  if (dimensions != 1) return fields;
  std::memcpy(&count, block + 4, 4);
  for (uint32_t i = 0; i < count; ++i) {
    uintptr_t address = 0;
    std::memcpy(&address, block + calls::ArrayElementsOffset(1) + 8 * size_t{i}, 8);
    const auto* record = reinterpret_cast<const calls::FieldRecord*>(address);
    if (record == nullptr) return {};
    fields.push_back({record->name != nullptr ? record->name : "", record->type_code,
                      record->width});
  }
  return fields;
}


}  // namespace pcshop::kernel
