// Text encodings of CSV and HTML files, rows turned into GBK, and the choice
// of reader by a file's first bytes.

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

#include "runtime/text/gbk_codec.h"
#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop::xlsbridge {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kZipMark = "PK\x03\x04";
constexpr std::string_view kCompoundFileMark = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
// Cells of a row travel through the converter as one text; GBK never uses
// this byte inside a character.
constexpr char kCellSeparator = '\x1F';

// Length of the valid UTF-8 prefix: overlong forms, surrogates and code
// points past U+10FFFF end it.
size_t ValidUtf8Prefix(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t n = 0;
    uint32_t cp = 0;
    uint32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
      n = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      n = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      n = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return i;
    }
    for (size_t k = 1; k <= n; ++k) {
      if (i + k >= s.size()) return i;
      const auto t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += n + 1;
  }
  return i;
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};

// The bytes in `charset` as UTF-8; on failure `bad_at` is about where they
// stop being that charset.
Result<std::string> ConvertToUtf8(std::string_view bytes, const char* charset, size_t& bad_at) {
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open(charset, &err));
  if (U_FAILURE(err) || !conv) return Status::IOError(std::string("没有") + charset + "转换器");
  ucnv_setToUCallBack(conv.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  std::u16string units(bytes.size() + 1, u'\0');
  UChar* target = reinterpret_cast<UChar*>(units.data());
  const char* source = bytes.data();
  ucnv_toUnicode(conv.get(), &target, target + units.size(), &source, bytes.data() + bytes.size(),
                 nullptr, true, &err);
  if (U_FAILURE(err)) {
    bad_at = static_cast<size_t>(source - bytes.data());
    return Status::InvalidArgument("bad");
  }
  const auto count = static_cast<int32_t>(target - reinterpret_cast<UChar*>(units.data()));
  std::string out(static_cast<size_t>(count) * 3, '\0');
  int32_t length = 0;
  err = U_ZERO_ERROR;
  u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length,
              reinterpret_cast<const UChar*>(units.data()), count, &err);
  if (U_FAILURE(err)) {
    bad_at = 0;
    return Status::InvalidArgument("bad");
  }
  out.resize(static_cast<size_t>(length));
  return out;
}

Status NotEncoding(std::string_view name, size_t at) {
  return Status::InvalidArgument("文件的文字不是" + std::string(name) + "编码（第" +
                                 std::to_string(at + 1) + "字节起），请换一种编码再试。");
}

std::string CodePointText(uint32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", cp);
  return buffer;
}

// The first character of `utf8` that GBK cannot hold, as U+XXXX: the message
// itself goes out in GBK, so it cannot show the character.
std::string FirstNonGbk(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    size_t n = 1;
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b >= 0xF0) {
      n = 4;
    } else if (b >= 0xE0) {
      n = 3;
    } else if (b >= 0xC0) {
      n = 2;
    }
    n = std::min(n, utf8.size() - i);
    const std::string_view ch = utf8.substr(i, n);
    if (!text::Utf8ToGbk(ch).ok()) {
      uint32_t cp = n == 1 ? b : (b & (0x7F >> n));
      for (size_t k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(ch[k]) & 0x3F);
      return CodePointText(cp);
    }
    i += n;
  }
  return "";
}

bool LooksLikeHtml(std::string_view bytes) {
  std::string head(bytes.substr(0, 4096));
  std::transform(head.begin(), head.end(), head.begin(),
                 [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  const size_t start = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
  return start != std::string::npos && head[start] == '<' &&
         head.find("<table") != std::string::npos;
}

// Encrypted Office files are compound files with an "EncryptedPackage"
// stream; its name is stored in UTF-16.
bool HoldsEncryptedPackage(std::string_view bytes) {
  static constexpr char16_t kName[] = u"EncryptedPackage";
  std::string pattern;
  for (char16_t c : std::u16string_view(kName)) {
    pattern += static_cast<char>(c);
    pattern += '\0';
  }
  return bytes.find(pattern) != std::string_view::npos;
}

}  // namespace

Result<DecodedText> DecodeText(std::string_view bytes, TextEncoding encoding) {
  if (bytes.size() > kMaxUnpackedBytes) return Status::InvalidArgument("文件超过100MB，不能导入。");
  size_t bad_at = 0;
  const bool utf8_mark = bytes.starts_with(kUtf8Mark);
  if (bytes.starts_with(kUtf16LeMark) &&
      (encoding == TextEncoding::kDetect || encoding == TextEncoding::kUtf16Le)) {
    Result<std::string> utf8 = ConvertToUtf8(bytes.substr(2), "UTF-16LE", bad_at);
    if (!utf8.ok()) return NotEncoding("UTF-16", bad_at + 2);
    return DecodedText{std::move(*utf8), TextEncoding::kUtf16Le};
  }
  if (utf8_mark && encoding != TextEncoding::kGb18030) {
    const std::string_view body = bytes.substr(kUtf8Mark.size());
    const size_t valid = ValidUtf8Prefix(body);
    if (valid != body.size()) return NotEncoding("UTF-8", valid + kUtf8Mark.size());
    return DecodedText{std::string(body), TextEncoding::kUtf8Bom};
  }
  if (encoding == TextEncoding::kDetect || encoding == TextEncoding::kUtf8) {
    const size_t valid = ValidUtf8Prefix(bytes);
    if (valid == bytes.size()) return DecodedText{std::string(bytes), TextEncoding::kUtf8};
    if (encoding == TextEncoding::kUtf8) return NotEncoding("UTF-8", valid);
  }
  Result<std::string> utf8 = ConvertToUtf8(bytes, "GB18030", bad_at);
  if (!utf8.ok()) {
    if (encoding == TextEncoding::kDetect) {
      return Status::InvalidArgument("文件的文字既不是UTF-8也不是GBK/GB18030编码（第" +
                                     std::to_string(bad_at + 1) + "字节起），无法读取。");
    }
    return NotEncoding("GBK/GB18030", bad_at);
  }
  return DecodedText{std::move(*utf8), TextEncoding::kGb18030};
}

Status AddUtf8Row(SheetData& data, int32_t number, std::vector<std::string> cells) {
  while (!cells.empty() && cells.back().empty()) cells.pop_back();
  if (cells.empty()) return Status::Ok();
  if (data.rows.size() >= kMaxSheetRows) {
    return Status::InvalidArgument("表格超过" + std::to_string(kMaxSheetRows) +
                                   "行，不能导入。");
  }
  if (cells.size() > kMaxSheetColumns) cells.resize(kMaxSheetColumns);
  data.columns = std::max(data.columns, cells.size());
  SheetRow row;
  row.number = number;
  // A cell that holds the separator itself (a control character no list
  // needs, but a file may carry) goes through the converter on its own.
  bool separate = false;
  for (const std::string& cell : cells) {
    separate = separate || cell.find(kCellSeparator) != std::string::npos;
  }
  std::string joined;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) joined += kCellSeparator;
    joined += cells[i];
  }
  Result<std::string> gbk = text::Utf8ToGbk(joined);
  if (!gbk.ok()) {
    row.problem = "第" + std::to_string(number) + "行含有GBK不能表示的字符 " +
                  FirstNonGbk(joined) + "，此行不能导入。";
  } else if (separate) {
    for (const std::string& cell : cells) row.cells.push_back(text::Utf8ToGbk(cell).value());
  } else {
    size_t start = 0;
    for (;;) {
      const size_t end = gbk->find(kCellSeparator, start);
      row.cells.push_back(gbk->substr(start, end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  data.rows.push_back(std::move(row));
  return Status::Ok();
}

Result<SheetData> ReadSheetBytes(std::string_view bytes, TextEncoding encoding, int32_t sheet) {
  if (bytes.starts_with(kZipMark)) return ReadXlsx(bytes, sheet);
  if (bytes.starts_with(kCompoundFileMark)) {
    if (HoldsEncryptedPackage(bytes)) {
      return Status::InvalidArgument("工作簿设有密码（已加密），请在表格程序中取消密码、另存后再导入。");
    }
    return Status::InvalidArgument(
        "这是旧版Excel工作簿（.xls），请在表格程序中另存为.xlsx或CSV后再导入。");
  }
  if (bytes.find('\0') != std::string_view::npos && !bytes.starts_with(kUtf16LeMark)) {
    return Status::InvalidArgument("文件不是表格文件（.xlsx、.csv或本程序导出的.xls），不能导入。");
  }
  if (LooksLikeHtml(bytes)) return ReadHtmlTable(bytes, encoding);
  return ReadCsv(bytes, encoding);
}

Result<SheetData> ReadSheetFile(const std::filesystem::path& path, TextEncoding encoding,
                                int32_t sheet) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return Status::IOError("无法读取文件：" + path.string());
  if (size > kMaxUnpackedBytes) return Status::InvalidArgument("文件超过100MB，不能导入。");
  std::ifstream in(path, std::ios::binary);
  std::string bytes(size, '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(size))) {
    return Status::IOError("无法读取文件：" + path.string());
  }
  return ReadSheetBytes(bytes, encoding, sheet);
}

}  // namespace pcshop::xlsbridge
