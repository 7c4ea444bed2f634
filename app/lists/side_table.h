#pragma once
// A small table of the shop's own (店铺, 导入记录) made current for the life
// of the object, its layout brought up to date first (with a backup when it
// grows), then the table that was current is selected again: the quote's
// export names its file after the current table.

#include <span>
#include <string>

#include "app/backup/backups.h"
#include "image/calls/calls.h"

namespace pcshop::app {

class SideTableSelected {
 public:
  SideTableSelected(calls::Calls& rt, const std::string& path, const char* alias,
                    std::span<const calls::FieldRecord> fields)
      : rt_(rt), before_(rt.CurrentTableName()) {
    ok_ = UpgradeKeepingCopy(rt, path.c_str(), fields) && rt.OpenTable(path.c_str(), alias) &&
          rt.SelectTable(alias);
  }
  SideTableSelected(const SideTableSelected&) = delete;
  SideTableSelected& operator=(const SideTableSelected&) = delete;
  ~SideTableSelected() {
    if (!before_.view().empty()) (void)rt_.SelectTable(before_.c_str());
  }
  bool ok() const { return ok_; }

 private:
  calls::Calls& rt_;
  calls::OwnedText before_;
  bool ok_ = false;
};

}  // namespace pcshop::app
