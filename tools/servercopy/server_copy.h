#pragma once
// Moving a shop's tables between a DATA folder and a PostgreSQL server.
// Both directions check everything they can before they write anything,
// write in a way nobody sees half of, and read every record back from the
// destination afterwards to compare it with the source.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/status.h"
#include "tools/servercopy/copy_record.h"

namespace pcshop::servercopy {

struct CopyOptions {
  // Overwrite destination tables that hold records (or table files that
  // exist); without it they are refused and nothing is copied.
  bool replace = false;
  // Told one line (UTF-8) per table as the copy goes on; may be empty.
  std::function<void(const std::string&)> progress;
};

// Every table file of `folder` into the server, as the tables named
// "<folder's own name>/<file name>", in one transaction: all or nothing.
Result<std::vector<CopiedTable>> CopyToServer(const std::filesystem::path& folder,
                                              const std::string& conninfo,
                                              const CopyOptions& options);

// Every server table named "<folder's own name>/..." into a table file of
// `folder` (made when missing), from one snapshot of the server. Each file
// is written and checked under a temporary name and gets its own name only
// when all of them are checked.
Result<std::vector<CopiedTable>> CopyFromServer(const std::string& conninfo,
                                                const std::filesystem::path& folder,
                                                const CopyOptions& options);

}  // namespace pcshop::servercopy
