// libFuzzer target over the price list readers (.xlsx, CSV, HTML table).
// Besides "no crash, no out-of-bounds access" it checks what the import
// relies on: a file is read within the limits or refused with a message,
// and every row holds cells or a reason, never both.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "runtime/xlsbridge/sheet_reader.h"

namespace {

using namespace pcshop::xlsbridge;

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

// The first byte picks the encoding asked for and the sheet; the rest is
// the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto encoding = static_cast<TextEncoding>(data[0] % 3);
  const int32_t sheet = (data[0] >> 4) % 3;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  pcshop::Result<SheetData> read = ReadSheetBytes(bytes, encoding, sheet);
  if (!read.ok()) {
    Check(!read.status().message().empty());
    return 0;
  }
  Check(read->rows.size() <= kMaxSheetRows);
  Check(read->columns <= kMaxSheetColumns);
  Check(!read->sheet_names.empty());
  for (const SheetRow& row : read->rows) {
    Check(row.problem.empty() != row.cells.empty());
    Check(row.cells.size() <= read->columns);
    Check(row.number >= 1);
  }
  return 0;
}
