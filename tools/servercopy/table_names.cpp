#include "tools/servercopy/table_names.h"

#include "runtime/files/native_path.h"
#include "runtime/tables/table_types.h"
#include "runtime/text/gbk_codec.h"

namespace pcshop::servercopy {

namespace fs = std::filesystem;

Result<std::string> FolderPrefix(const fs::path& folder) {
  fs::path p = fs::absolute(folder).lexically_normal();
  if (p.filename().empty()) p = p.parent_path();
  const fs::path own = p.filename();
  if (own.empty()) return Status::InvalidArgument(folder.string() + ": a folder without a name");
  auto gbk = files::ToTextPath(own);
  if (!gbk.ok()) {
    return Status::InvalidArgument(folder.string() + ": the folder's name has a character GBK "
                                                     "cannot hold");
  }
  return *gbk + "/";
}

Result<std::string> ServerName(const std::string& prefix, const fs::path& file) {
  auto gbk = files::ToTextPath(file.filename());
  if (!gbk.ok()) {
    return Status::InvalidArgument(file.string() +
                                   ": the file's name has a character GBK cannot hold");
  }
  return prefix + *gbk;
}

Result<fs::path> FileFor(const fs::path& folder, const std::string& prefix,
                         const std::string& name) {
  const auto refused = [&](const std::string& why) {
    return Status::InvalidArgument(tables::Printable(name) +
                                   ": cannot be written as a table file: " + why);
  };
  if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size()) {
    return refused("the name does not start with " + tables::Printable(prefix));
  }
  const std::string_view gbk = std::string_view(name).substr(prefix.size());
  auto utf8 = text::GbkToUtf8(gbk);
  // The file's name must give back the same table name when copied again.
  auto again = utf8.ok() ? text::Utf8ToGbk(*utf8) : Result<std::string>(utf8.status());
  if (!utf8.ok() || !again.ok() || *again != gbk) return refused("the name is not valid GBK");
  const std::string& rest = *utf8;
  if (rest == "." || rest == ".." || rest.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
    return refused("the name is not a plain file name");
  }
  return folder / rest;
}

}  // namespace pcshop::servercopy
