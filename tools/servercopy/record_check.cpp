#include "tools/servercopy/record_check.h"

#include <string>

namespace pcshop::servercopy {
namespace {

std::string Describe(const tables::FieldValue& v) {
  if (const auto* i = std::get_if<int64_t>(&v)) return "the integer " + std::to_string(*i);
  return "the text " + tables::Printable(std::get<std::string>(v));
}

Status Differs(const TableLayout& table, int64_t n, const std::string& what) {
  return Status::Corruption(tables::Printable(table.name) + ": record " + std::to_string(n) +
                            " of the copy differs from the source: " + what);
}

// The rest of a source, counted.
Result<int64_t> CountRest(RecordSource& source, CopyRecord& scratch) {
  int64_t n = 0;
  for (;;) {
    auto more = source.Next(scratch);
    if (!more.ok()) return more.status();
    if (!*more) return n;
    ++n;
  }
}

}  // namespace

Result<int64_t> CheckSameRecords(const TableLayout& table, RecordSource& source,
                                 RecordSource& copy) {
  CopyRecord a;
  CopyRecord b;
  int64_t n = 0;
  for (;;) {
    auto more_a = source.Next(a);
    if (!more_a.ok()) return more_a.status();
    auto more_b = copy.Next(b);
    if (!more_b.ok()) return more_b.status();
    if (!*more_a || !*more_b) {
      if (*more_a == *more_b) return n;
      // Count both to the end, so the message gives both totals.
      auto rest_a = *more_a ? CountRest(source, a) : Result<int64_t>(int64_t{-1});
      if (!rest_a.ok()) return rest_a.status();
      auto rest_b = *more_b ? CountRest(copy, b) : Result<int64_t>(int64_t{-1});
      if (!rest_b.ok()) return rest_b.status();
      return Status::Corruption(tables::Printable(table.name) + ": the source holds " +
                                std::to_string(n + 1 + *rest_a) + " records, the copy " +
                                std::to_string(n + 1 + *rest_b));
    }
    ++n;
    if (a.id != b.id) {
      return Differs(table, n, "id " + std::to_string(b.id) + " instead of " +
                                   std::to_string(a.id));
    }
    if (a.deleted != b.deleted) {
      return Differs(table, n, b.deleted ? "marked deleted, the source is not"
                                         : "not marked deleted, the source is");
    }
    if (a.values.size() != b.values.size() || a.values.size() != table.fields.size()) {
      return Differs(table, n, std::to_string(b.values.size()) + " fields instead of " +
                                   std::to_string(a.values.size()));
    }
    for (size_t i = 0; i < a.values.size(); ++i) {
      if (a.values[i] != b.values[i]) {
        return Differs(table, n, "field " + tables::Printable(table.fields[i].name) + " holds " +
                                     Describe(b.values[i]) + " instead of " +
                                     Describe(a.values[i]));
      }
    }
  }
}

}  // namespace pcshop::servercopy
