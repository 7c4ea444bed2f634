#pragma once
// A record as the copy moves it: its id, its delete mark and its values in
// field order. Both sides hand their records out in id order, so record n
// is the n-th one handed out, on the server as in a file.

#include <cstdint>
#include <string>
#include <vector>

#include "base/status.h"
#include "runtime/tables/table_types.h"

namespace pcshop::servercopy {

struct CopyRecord {
  int64_t id = 0;
  bool deleted = false;
  std::vector<tables::FieldValue> values;

  friend bool operator==(const CopyRecord&, const CopyRecord&) = default;
};

// Records of one table, read in id order.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next record into `out`; false after the last one.
  virtual Result<bool> Next(CopyRecord& out) = 0;
};

// One table being copied: its name on the server (GBK bytes, "DATA/CPU.zdb")
// and its fields.
struct TableLayout {
  std::string name;
  std::vector<tables::FieldSpec> fields;
};

// What a finished copy did to one table.
struct CopiedTable {
  std::string name;  // GBK
  int64_t records = 0;
};

}  // namespace pcshop::servercopy
