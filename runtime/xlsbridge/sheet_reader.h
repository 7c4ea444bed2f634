#pragma once
// Reading a supplier's price list: an Excel workbook (.xlsx), CSV as a
// spreadsheet program saves it, or the program's own HTML table (.xls).
// The result is the rows of one sheet as GBK texts, each with the row
// number the spreadsheet shows. A row whose text GBK cannot hold keeps its
// place and carries the reason instead of its cells, so that the caller can
// refuse that row alone. A file that cannot be read at all is an error whose
// message (UTF-8, Chinese) is meant for the user; nothing is half read.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace pcshop::xlsbridge {

// Limits against a file that would exhaust memory: the unpacked size of a
// workbook's parts (or the size of a text file) and the rows of a sheet.
inline constexpr uint64_t kMaxUnpackedBytes = 100ull * 1024 * 1024;
inline constexpr size_t kMaxSheetRows = 200'000;
inline constexpr size_t kMaxSheetColumns = 256;

// How the bytes of a text file (CSV, HTML) are read. kDetect decides by
// evidence: a byte-order mark, else strict UTF-8, else GB18030.
enum class TextEncoding : int32_t {
  kDetect = 0,
  kUtf8 = 1,
  kGb18030 = 2,
  kUtf8Bom = 3,   // found only, never asked for
  kUtf16Le = 4,   // a spreadsheet's "Unicode text", by its byte-order mark
};

// What kind of file was read.
enum class SheetFileKind : int32_t { kXlsx = 1, kCsv = 2, kHtml = 3 };

struct SheetRow {
  int32_t number = 0;               // as the spreadsheet shows it, from 1
  std::vector<std::string> cells;   // GBK; empty when `problem` is set
  std::string problem;              // UTF-8; why the row cannot be read
};

struct SheetData {
  SheetFileKind kind = SheetFileKind::kCsv;
  TextEncoding encoding = TextEncoding::kDetect;  // the one used, for text files
  std::vector<std::string> sheet_names;           // GBK; one for a text file
  int32_t sheet = 0;                              // the one read, from 0
  std::vector<SheetRow> rows;                     // rows that hold a cell
  size_t columns = 0;
};

// Reads sheet `sheet` (from 0) of the file at `path`; the kind comes from the
// file's bytes, not its name. `encoding` applies to text files.
[[nodiscard]] Result<SheetData> ReadSheetFile(const std::filesystem::path& path,
                                              TextEncoding encoding, int32_t sheet);
[[nodiscard]] Result<SheetData> ReadSheetBytes(std::string_view bytes, TextEncoding encoding,
                                               int32_t sheet);

// The readers under ReadSheetBytes, each for its kind.
[[nodiscard]] Result<SheetData> ReadCsv(std::string_view bytes, TextEncoding encoding);
[[nodiscard]] Result<SheetData> ReadHtmlTable(std::string_view bytes, TextEncoding encoding);
[[nodiscard]] Result<SheetData> ReadXlsx(std::string_view bytes, int32_t sheet);

// The text of a file in UTF-8 by the given or detected encoding, and the
// encoding used; an error when the bytes are not that encoding.
struct DecodedText {
  std::string utf8;
  TextEncoding encoding = TextEncoding::kUtf8;
};
[[nodiscard]] Result<DecodedText> DecodeText(std::string_view bytes, TextEncoding encoding);

// Adds one row of UTF-8 cells to `data` as GBK, or the row's problem when a
// character has no GBK form. Empty rows are skipped. Fails past the limits.
[[nodiscard]] Status AddUtf8Row(SheetData& data, int32_t number, std::vector<std::string> cells);

}  // namespace pcshop::xlsbridge
