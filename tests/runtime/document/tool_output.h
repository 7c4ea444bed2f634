#pragma once
// Reading files back with the tools a shop's machine has (pdftotext,
// pdfinfo, unzip, LibreOffice): a test skips when its tool is missing.

#include <cstdio>
#include <memory>
#include <string>

namespace pcshop::testing {

inline bool HasTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// Standard output of `command` (run by the shell).
inline std::string ToolOutput(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) out.append(buffer, n);
  return out;
}

inline std::string Quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace pcshop::testing
