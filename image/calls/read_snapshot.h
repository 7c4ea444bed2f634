#pragma once
// Holds a read snapshot over the open tables for a scope: every read of the
// table store inside it sees the tables as they were when it began, so the
// figures of one report agree even while another counter writes. Writes are
// refused inside it. A snapshot that cannot begin (the server out of reach)
// leaves the reads to fail or succeed on their own, as without one.

#include "image/calls/calls.h"

namespace pcshop::calls {

class ReadSnapshotScope {
 public:
  explicit ReadSnapshotScope(Calls& rt) : rt_(rt), begun_(rt.ReadSnapshot(true)) {}
  ReadSnapshotScope(const ReadSnapshotScope&) = delete;
  ReadSnapshotScope& operator=(const ReadSnapshotScope&) = delete;
  ~ReadSnapshotScope() {
    if (begun_) (void)rt_.ReadSnapshot(false);
  }

 private:
  Calls& rt_;
  bool begun_;
};

}  // namespace pcshop::calls
