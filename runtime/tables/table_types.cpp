#include "runtime/tables/table_types.h"

#include <set>

#include "runtime/text/gbk_codec.h"

namespace pcshop::tables {

Status CheckFieldList(std::span<const FieldSpec> fields) {
  if (fields.empty()) return Status::InvalidArgument("a table needs at least one field");
  if (fields.size() > kMaxFields) {
    return Status::InvalidArgument("a table holds at most " + std::to_string(kMaxFields) +
                                   " fields, " + std::to_string(fields.size()) + " given");
  }
  std::set<std::string_view> names;
  for (size_t i = 0; i < fields.size(); ++i) {
    const FieldSpec& f = fields[i];
    const std::string where = "field " + std::to_string(i + 1);
    if (f.name.empty()) return Status::InvalidArgument(where + " has no name");
    if (!names.insert(f.name).second) {
      return Status::InvalidArgument(where + " repeats the name " + Printable(f.name));
    }
    if (f.type_code != kTextField && f.type_code != kIntegerField) {
      return Status::InvalidArgument(where + " (" + Printable(f.name) + ") has type code " +
                                     std::to_string(f.type_code) + "; 10 (text) or 3 (integer)");
    }
    if (f.width < 1 || f.width > kMaxWidth) {
      return Status::InvalidArgument(where + " (" + Printable(f.name) + ") has width " +
                                     std::to_string(f.width));
    }
  }
  return Status::Ok();
}

Status CheckValues(std::span<const FieldSpec> fields, std::span<const OptionalValue> values,
                   std::string_view label, std::string_view op) {
  const std::string where = std::string(label) + ": " + std::string(op) + ": ";
  if (values.size() > fields.size()) {
    return Status::InvalidArgument(where + std::to_string(values.size()) + " values for " +
                                   std::to_string(fields.size()) + " fields");
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (!values[i]) continue;
    const bool want_text = fields[i].type_code == kTextField;
    if (IsText(*values[i]) != want_text) {
      return Status::TypeMismatch(where + "field " + Printable(fields[i].name) + " takes " +
                                  (want_text ? "a text" : "an integer") + ", value " +
                                  std::to_string(i + 1) + " is " +
                                  (want_text ? "an integer" : "a text"));
    }
  }
  return Status::Ok();
}

std::vector<FieldValue> PaddedRow(std::span<const FieldSpec> fields,
                                  std::span<const FieldValue> values) {
  std::vector<FieldValue> row;
  row.reserve(fields.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i < values.size()) {
      row.push_back(values[i]);
    } else if (fields[i].type_code == kTextField) {
      row.emplace_back(std::string());
    } else {
      row.emplace_back(int64_t{0});
    }
  }
  return row;
}

std::vector<FieldValue> AppendedRow(std::span<const FieldSpec> fields,
                                    std::span<const OptionalValue> values) {
  std::vector<FieldValue> given;
  given.reserve(values.size());
  for (size_t i = 0; i < values.size() && i < fields.size(); ++i) {
    if (values[i]) {
      given.push_back(*values[i]);
    } else if (fields[i].type_code == kTextField) {
      given.emplace_back(std::string());
    } else {
      given.emplace_back(int64_t{0});
    }
  }
  return PaddedRow(fields, given);
}

std::string Printable(std::string_view gbk) {
  if (auto utf8 = text::GbkToUtf8(gbk); utf8.ok()) return std::move(utf8).value();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : gbk) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

}  // namespace pcshop::tables
