#include "runtime/xlsbridge/sheet_files.h"

namespace pcshop::xlsbridge {

int32_t SheetFiles::Add(Result<SheetData> data) {
  if (open_.size() >= kMaxOpenSheetFiles) return 0;
  ++last_;
  open_[last_].data = std::move(data);
  return last_;
}

const SheetFile* SheetFiles::Find(int32_t number) const {
  const auto it = open_.find(number);
  return it == open_.end() ? nullptr : &it->second;
}

void SheetFiles::Close(int32_t number) { open_.erase(number); }

}  // namespace pcshop::xlsbridge
