#pragma once
// The values the table store deals in: field descriptions and field values.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/status.h"

namespace pcshop::tables {

// Field type codes as the application passes them.
inline constexpr int32_t kTextField = 10;
inline constexpr int32_t kIntegerField = 3;

// One field of a table, in the order given at creation. Field names are GBK
// bytes and compared exactly. The width is kept as given and reported back;
// it never cuts a stored text.
struct FieldSpec {
  std::string name;
  int32_t type_code = kTextField;
  int32_t width = 0;

  friend bool operator==(const FieldSpec&, const FieldSpec&) = default;
};

// A field's value: a 64-bit integer or a text of exact bytes. Files written
// when integers were 32-bit hold values of that range, which read the same.
using FieldValue = std::variant<int64_t, std::string>;

// A field's value without a copy: the text views bytes the store owns and
// stays valid only until the next operation on the store.
using FieldView = std::variant<int64_t, std::string_view>;

inline FieldValue ToValue(const FieldView& v) {
  if (const auto* i = std::get_if<int64_t>(&v)) return *i;
  return std::string(std::get<std::string_view>(v));
}

// A value that may be left out (ModifyRecord: the field stays as it is).
using OptionalValue = std::optional<FieldValue>;

// One write of a batch: `record` 0 appends `values` (a left-out value is its
// field's empty one); else record `record` (from 1) gets the values given.
struct RecordWrite {
  int64_t record = 0;
  std::vector<OptionalValue> values;
};

inline bool IsText(const FieldValue& v) { return std::holds_alternative<std::string>(v); }

// Checks a field list for CreateTable: at least one field, at most
// kMaxFields, each with a non-empty unique name, a known type code and a
// width from 1 to kMaxWidth.
inline constexpr size_t kMaxFields = 1000;
inline constexpr int32_t kMaxWidth = 65535;
Status CheckFieldList(std::span<const FieldSpec> fields);

// The values given for a write of a table with `fields`: no more than there
// are fields, each of its field's kind (TypeMismatch otherwise). Messages
// begin with `label` and `op`.
Status CheckValues(std::span<const FieldSpec> fields, std::span<const OptionalValue> values,
                   std::string_view label, std::string_view op);

// `values` padded with the empty value ("" or 0) of each field left out.
std::vector<FieldValue> PaddedRow(std::span<const FieldSpec> fields,
                                  std::span<const FieldValue> values);
// As PaddedRow, a left-out value inside the list too taking its field's
// empty value.
std::vector<FieldValue> AppendedRow(std::span<const FieldSpec> fields,
                                    std::span<const OptionalValue> values);

// A GBK name for a message: UTF-8 when it decodes, hex bytes otherwise.
std::string Printable(std::string_view gbk);

}  // namespace pcshop::tables
