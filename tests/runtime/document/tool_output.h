#pragma once
// Reading files back with the tools a shop's machine has (pdftotext,
// pdfinfo, unzip, LibreOffice): a test skips when its tool is missing.

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>
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

// The first worksheet of an .xlsx file, as XML.
inline std::string SheetXml(const std::filesystem::path& xlsx) {
  return ToolOutput("unzip -p " + Quoted(xlsx.string()) + " xl/worksheets/sheet1.xml");
}

// The <c> element of cell `ref` ("D2") in a worksheet's XML, whole; a number
// cell has no type attribute (t="...").
inline std::string CellXml(const std::string& sheet, const std::string& ref) {
  const std::regex cell("<c r=\"" + ref + "\"[^>]*?(/>|>.*?</c>)");
  std::smatch m;
  return std::regex_search(sheet, m, cell) ? m.str() : std::string();
}

// Whether cell `ref` holds `value` as a number, not as a text.
inline bool IsNumberCell(const std::string& sheet, const std::string& ref,
                         const std::string& value) {
  const std::string cell = CellXml(sheet, ref);
  return cell.find("<v>" + value + "</v>") != std::string::npos &&
         cell.find(" t=\"") == std::string::npos;
}

// The PDF's text as a reader copies it out, spaces squeezed.
inline std::string PdfRawText(const std::filesystem::path& pdf) {
  return ToolOutput("pdftotext -layout " + Quoted(pdf.string()) + " - | tr -s ' '");
}

// The same for searching: NFKC makes the full-width colon and comma ASCII
// and would turn a radical back into its ideograph (where a face without
// WenQuanYi shares their glyphs), two more mappings likewise.
inline std::string PdfText(const std::filesystem::path& pdf) {
  const std::string raw = PdfRawText(pdf);
  UErrorCode error = U_ZERO_ERROR;
  const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(error);
  if (U_FAILURE(error)) return raw;
  icu::UnicodeString text = nfkc->normalize(icu::UnicodeString::fromUTF8(raw), error);
  text.findAndReplace(icu::UnicodeString::fromUTF8("⻔"), icu::UnicodeString::fromUTF8("门"));
  text.findAndReplace(icu::UnicodeString::fromUTF8("⻢"), icu::UnicodeString::fromUTF8("马"));
  std::string out;
  text.toUTF8String(out);
  return out;
}

// The page count pdfinfo gives; -1 when it gives none.
inline int PdfPages(const std::filesystem::path& pdf) {
  const std::string info = ToolOutput("pdfinfo " + Quoted(pdf.string()));
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

}  // namespace pcshop::testing
