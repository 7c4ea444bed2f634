#pragma once
// Reading a counted call's triples on the runtime's side. Every reader is
// total: a missing, omitted or mistyped argument reads as the empty text, 0
// or "not given", so no command ever dereferences a value that is not an
// address of the kind it needs.

#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "image/calls/compiled_helpers.h"
#include "image/calls/value_triple.h"
#include "runtime/tables/table_types.h"

namespace pcshop::kernel {

class CommandArguments {
 public:
  explicit CommandArguments(std::span<const calls::ValueTriple> triples) : triples_(triples) {}

  size_t size() const { return triples_.size(); }
  const calls::ValueTriple& operator[](size_t i) const { return triples_[i]; }

  bool Given(size_t i) const { return i < triples_.size() && triples_[i].type != 0; }

  std::string_view Text(size_t i) const {
    if (i >= triples_.size() || !triples_[i].is(calls::TypeCode::kText)) return {};
    const char* p = triples_[i].AsPointer<const char>();
    return p != nullptr ? std::string_view(p) : std::string_view();
  }

  // Integers and logicals as they are; doubles, date-times and long
  // integers truncated or saturated into 32 bits.
  int32_t Int(size_t i, int32_t fallback = 0) const {
    if (!Given(i)) return fallback;
    const calls::ValueTriple& t = triples_[i];
    if (t.is(calls::TypeCode::kLongInteger)) {
      const int64_t v = t.AsLong();
      return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
    }
    if (t.is(calls::TypeCode::kDouble) || t.is(calls::TypeCode::kDateTime)) {
      const int64_t v = calls::Truncate(t.AsDouble());
      return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
    }
    if (t.is(calls::TypeCode::kInteger) || t.is(calls::TypeCode::kLogical)) return t.AsInt();
    return fallback;
  }

  double Double(size_t i) const {
    if (!Given(i)) return 0;
    const calls::ValueTriple& t = triples_[i];
    if (t.is(calls::TypeCode::kDouble) || t.is(calls::TypeCode::kDateTime)) return t.AsDouble();
    if (t.is(calls::TypeCode::kInteger) || t.is(calls::TypeCode::kLogical)) return t.AsInt();
    if (t.is(calls::TypeCode::kLongInteger)) return static_cast<double>(t.AsLong());
    return std::nan("");
  }

  // A value for the table store: a text or an integer; nothing for the rest.
  tables::OptionalValue FieldValue(size_t i) const {
    if (!Given(i)) return std::nullopt;
    const calls::ValueTriple& t = triples_[i];
    if (t.is(calls::TypeCode::kText)) {
      return tables::OptionalValue(std::in_place, std::in_place_type<std::string>, Text(i));
    }
    if (t.is(calls::TypeCode::kLongInteger)) {
      return tables::OptionalValue(std::in_place, std::in_place_type<int64_t>, t.AsLong());
    }
    if (t.is(calls::TypeCode::kInteger) || t.is(calls::TypeCode::kLogical) ||
        t.is(calls::TypeCode::kDouble) || t.is(calls::TypeCode::kDateTime)) {
      return tables::OptionalValue(std::in_place, std::in_place_type<int64_t>, Int(i));
    }
    return std::nullopt;
  }

 private:
  std::span<const calls::ValueTriple> triples_;
};

}  // namespace pcshop::kernel
