#pragma once
// Where an export goes: the day folder beside the program, the time suffix,
// the file name chosen from the table store's current table, and the row
// count the product window hands over for that choice. Texts are GBK.

#include <cstdint>
#include <string>
#include <string_view>

#include "image/calls/calls.h"

namespace pcshop::app {

// The date parts of one export, all read from one Now().
struct ExportClock {
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
  int32_t hour = 0;
  int32_t minute = 0;
};

ExportClock ReadExportClock(calls::Calls& rt);

// Program folder + "\" + year年month月day日.
std::string ExportFolder(calls::Calls& rt, const ExportClock& clock);

// year年month月day日hour点minute分.xls.
std::string ExportTimeSuffix(calls::Calls& rt, const ExportClock& clock);

// year年month月day日hour点minute分, for files of other types.
std::string ExportTimeStamp(calls::Calls& rt, const ExportClock& clock);

// year年month月day日.
std::string ExportDate(calls::Calls& rt, const ExportClock& clock);

// The automatic path in `folder`, named after the current table: the quote
// window's name box text for "配置", 客户信息, any other table by its name,
// and 商品信息 when "其它" holds fewer records than the product list showed.
std::string ExportPath(calls::Calls& rt, std::string_view folder, std::string_view suffix);

// `path` as the platform writes it, for a message (the user looks for the
// file there); `path` itself when the platform takes it for no path.
std::string PathForMessage(calls::Calls& rt, const std::string& path);

// `gbk` with every character a file name cannot hold (\ / : * ? " < > |)
// turned into "_", then without leading dots and spaces, which would make a
// hidden file (".._.._x"); empty when nothing else is left. Walks whole
// characters: 0x5C and 0x7C are also trail bytes of two-byte characters,
// which stay as they are.
std::string FileNameSafe(std::string_view gbk);

// `path` (ending in `extension`) while no file is there; else the first free
// one of its stem + "_2", "_3", ... + extension. Names carry the minute
// only: a second save within it must not replace the first without a word.
std::string UnusedPath(calls::Calls& rt, const std::string& path, std::string_view extension);

// The product list's row count at its last export; 0 before the first.
int32_t ExportedProductRows(calls::Calls& rt);
void SetExportedProductRows(calls::Calls& rt, int32_t rows);

}  // namespace pcshop::app
