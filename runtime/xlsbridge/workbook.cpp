#include "runtime/xlsbridge/workbook.h"

#include <charconv>
#include <system_error>
#include <utility>

namespace pcshop::xlsbridge {
namespace {

Status CheckText(std::string_view text, const char* what) {
  if (text.size() > kMaxCellBytes) {
    return Status::InvalidArgument(std::string("workbook: ") + what + " is longer than " +
                                   std::to_string(kMaxCellBytes) + " bytes");
  }
  return Status::Ok();
}

}  // namespace

Status Workbook::AddLine(std::string_view text) {
  if (!columns_.empty()) return Status::InvalidArgument("workbook: a line after the columns");
  if (Status s = CheckText(text, "a line"); !s.ok()) return s;
  lines_.emplace_back(text);
  return Status::Ok();
}

Status Workbook::AddColumn(std::string_view title, ColumnKind kind) {
  if (!rows_.empty()) return Status::InvalidArgument("workbook: a column after the first row");
  if (columns_.size() >= kMaxWorkbookColumns) {
    return Status::InvalidArgument("workbook: too many columns");
  }
  if (kind != ColumnKind::kText && kind != ColumnKind::kNumber) {
    return Status::InvalidArgument("workbook: an unknown column kind");
  }
  if (Status s = CheckText(title, "a column title"); !s.ok()) return s;
  columns_.push_back({std::string(title), kind});
  return Status::Ok();
}

Status Workbook::AddRow(std::vector<std::string> cells, bool total) {
  if (columns_.empty()) return Status::InvalidArgument("workbook: a row before any column");
  if (rows_.size() >= kMaxWorkbookRows) return Status::InvalidArgument("workbook: too many rows");
  if (cells.size() > columns_.size()) {
    return Status::InvalidArgument("workbook: a row of " + std::to_string(cells.size()) +
                                   " cells in a table of " + std::to_string(columns_.size()) +
                                   " columns");
  }
  for (const std::string& cell : cells) {
    if (Status s = CheckText(cell, "a cell"); !s.ok()) return s;
  }
  cells.resize(columns_.size());
  rows_.push_back({std::move(cells), total});
  return Status::Ok();
}

bool ParseNumber(std::string_view text, double& number) {
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
  size_t digits = 0;
  bool point = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  // Fifteen digits is what a spreadsheet number holds exactly.
  if (digits == 0 || digits > 15) return false;
  // from_chars does not know a leading "+"; it reads the same without it.
  const std::string_view digits_part = text.front() == '+' ? text.substr(1) : text;
  const auto [end, error] =
      std::from_chars(digits_part.data(), digits_part.data() + digits_part.size(), number);
  return error == std::errc() && end == digits_part.data() + digits_part.size();
}

int32_t Workbooks::Open(std::string_view sheet_name) {
  if (open_.size() >= kMaxOpenWorkbooks) return 0;
  do {
    last_ = last_ == INT32_MAX ? 1 : last_ + 1;
  } while (open_.count(last_) != 0);
  open_.emplace(last_, Workbook(sheet_name));
  return last_;
}

Workbook* Workbooks::Find(int32_t number) {
  auto it = open_.find(number);
  return it == open_.end() ? nullptr : &it->second;
}

void Workbooks::Close(int32_t number) { open_.erase(number); }

}  // namespace pcshop::xlsbridge
