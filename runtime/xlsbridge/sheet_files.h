#pragma once
// Price lists read through the call interface, by number as the runtime
// hands them out: from 1, 0 for none. A number is given even for a file that
// could not be read, so that the caller can ask why.

#include <cstdint>
#include <map>
#include <string>

#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop::xlsbridge {

inline constexpr size_t kMaxOpenSheetFiles = 4;

struct SheetFile {
  Result<SheetData> data = Status::NotFound("");
};

class SheetFiles {
 public:
  int32_t Add(Result<SheetData> data);  // 0 when too many are open
  const SheetFile* Find(int32_t number) const;
  void Close(int32_t number);

 private:
  std::map<int32_t, SheetFile> open_;
  int32_t last_ = 0;
};

}  // namespace pcshop::xlsbridge
