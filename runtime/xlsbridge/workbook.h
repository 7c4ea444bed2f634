#pragma once
// A workbook of one sheet that the application builds from its GBK texts:
// header lines above a table, typed columns, rows. Number columns hold
// numbers for the spreadsheet program; text columns keep their texts as
// they are (a phone number keeps its leading zero).

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace pcshop::xlsbridge {

enum class ColumnKind : int32_t { kText = 0, kNumber = 1 };

struct WorkbookColumn {
  std::string title;  // GBK
  ColumnKind kind = ColumnKind::kText;
};

struct WorkbookRow {
  std::vector<std::string> cells;  // GBK, one per column
  bool total = false;              // bold
};

enum class WorkbookFormat : int32_t { kXlsx = 1, kCsv = 2 };

// Limits a sheet can hold, and a guard against a caller that runs away.
inline constexpr size_t kMaxWorkbookColumns = 256;
inline constexpr size_t kMaxWorkbookRows = 1'000'000;
inline constexpr size_t kMaxCellBytes = 32'767;

class Workbook {
 public:
  explicit Workbook(std::string_view sheet_name) : sheet_name_(sheet_name) {}

  [[nodiscard]] Status AddLine(std::string_view text);
  // Columns come before the first row.
  [[nodiscard]] Status AddColumn(std::string_view title, ColumnKind kind);
  // Fewer cells than columns leave the rest empty; more are refused.
  [[nodiscard]] Status AddRow(std::vector<std::string> cells, bool total);

  const std::string& sheet_name() const { return sheet_name_; }
  const std::vector<std::string>& lines() const { return lines_; }
  const std::vector<WorkbookColumn>& columns() const { return columns_; }
  const std::vector<WorkbookRow>& rows() const { return rows_; }

 private:
  std::string sheet_name_;
  std::vector<std::string> lines_;
  std::vector<WorkbookColumn> columns_;
  std::vector<WorkbookRow> rows_;
};

// The number a cell of a number column holds: an optional sign, digits and
// at most one decimal point, nothing else. Anything else stays text.
bool ParseNumber(std::string_view text, double& number);

inline constexpr size_t kMaxOpenWorkbooks = 16;

// Workbooks by number, as the call interface hands them out: from 1, 0 for
// none.
class Workbooks {
 public:
  int32_t Open(std::string_view sheet_name);  // 0 when too many are open
  Workbook* Find(int32_t number);             // null when not open
  void Close(int32_t number);
  size_t open_count() const { return open_.size(); }

 private:
  std::map<int32_t, Workbook> open_;
  int32_t last_ = 0;
};

}  // namespace pcshop::xlsbridge
