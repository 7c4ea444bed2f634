// Excel workbooks (.xlsx): the zip container through libzip, the workbook,
// its relations, the shared strings and one sheet through Qt's XML stream
// reader. A formula cell counts by the value the spreadsheet saved with it.

#include <zip.h>

#include <QString>
#include <QXmlStreamReader>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "runtime/xlsbridge/sheet_reader.h"

namespace pcshop::xlsbridge {
namespace {

const std::string kDamaged = "工作簿已损坏，无法读取";

Status Damaged(const std::string& why) { return Status::Corruption(kDamaged + "（" + why + "）。"); }

struct ArchiveCloser {
  void operator()(zip_t* z) const { zip_discard(z); }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

struct FileCloser {
  void operator()(zip_file_t* f) const { zip_fclose(f); }
};

class Parts {
 public:
  static Result<Parts> Open(std::string_view bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (source == nullptr) return Damaged("无法打开");
    zip_t* zip = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (zip == nullptr) {
      zip_source_free(source);
      zip_error_fini(&error);
      return Damaged("压缩包结构不对");
    }
    Parts parts{Archive(zip)};
    uint64_t total = 0;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
      zip_stat_t stat;
      if (zip_stat_index(zip, static_cast<zip_uint64_t>(i), 0, &stat) != 0) {
        return Damaged("压缩包目录不对");
      }
      if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
        return Status::InvalidArgument("工作簿设有密码（已加密），请在表格程序中取消密码、另存后再导入。");
      }
      total += stat.size;
      if (total > kMaxUnpackedBytes) {
        return Status::InvalidArgument("工作簿解压后超过100MB，不能导入。");
      }
    }
    return parts;
  }

  // The part's bytes; empty `found` when the workbook has no such part.
  Result<std::string> Read(const std::string& name, bool& found) {
    found = false;
    zip_stat_t stat;
    if (zip_stat(zip_.get(), name.c_str(), 0, &stat) != 0) return std::string();
    found = true;
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen(zip_.get(), name.c_str(), 0));
    if (!file) return Damaged(name + "无法解压");
    std::string out;
    char buffer[65536];
    for (;;) {
      const zip_int64_t n = zip_fread(file.get(), buffer, sizeof buffer);
      if (n < 0) return Damaged(name + "无法解压");
      if (n == 0) break;
      read_ += static_cast<uint64_t>(n);
      if (read_ > kMaxUnpackedBytes) {
        return Status::InvalidArgument("工作簿解压后超过100MB，不能导入。");
      }
      out.append(buffer, static_cast<size_t>(n));
    }
    return out;
  }

 private:
  explicit Parts(Archive zip) : zip_(std::move(zip)) {}
  Archive zip_;
  uint64_t read_ = 0;
};

bool IsElement(const QXmlStreamReader& xml, QStringView name) {
  return xml.name() == name;
}

Status XmlError(const QXmlStreamReader& xml, const std::string& part) {
  return Damaged(part + "第" + std::to_string(xml.lineNumber()) + "行：" +
                 xml.errorString().toStdString());
}

QXmlStreamReader Reader(const std::string& bytes) {
  return QXmlStreamReader(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

struct SheetEntry {
  std::string name;  // UTF-8
  std::string relation;
};

// The text of a string item: its <t> elements, phonetic runs left out.
std::string ItemText(QXmlStreamReader& xml, QStringView end) {
  QString text;
  int phonetic = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (IsElement(xml, u"rPh")) ++phonetic;
      if (IsElement(xml, u"t") && phonetic == 0) text += xml.readElementText();
    } else if (xml.isEndElement()) {
      if (IsElement(xml, u"rPh")) --phonetic;
      if (IsElement(xml, end)) break;
    }
  }
  return text.toStdString();
}

Result<std::vector<std::string>> SharedStrings(const std::string& bytes) {
  std::vector<std::string> strings;
  QXmlStreamReader xml = Reader(bytes);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement() && IsElement(xml, u"si")) strings.push_back(ItemText(xml, u"si"));
  }
  if (xml.hasError()) return XmlError(xml, "sharedStrings");
  return strings;
}

// Column index from a reference such as "AB12"; -1 when there is none.
int ColumnOf(QStringView ref) {
  int column = 0;
  int letters = 0;
  for (const QChar c : ref) {
    if (c < u'A' || c > u'Z') break;
    column = column * 26 + (c.unicode() - u'A' + 1);
    if (++letters > 3) return -1;
  }
  return letters == 0 ? -1 : column - 1;
}

// A number as the spreadsheet shows it in General format: no exponent for
// prices, no binary noise (1299.9999999999998 reads 1299.99999999999 no more).
std::string NumberText(const QString& v) {
  bool ok = false;
  const double d = v.toDouble(&ok);
  if (!ok || !std::isfinite(d)) return v.toStdString();
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", d);
  return buffer;
}

Status ReadRows(const std::string& bytes, const std::string& part,
                const std::vector<std::string>& strings, SheetData& data) {
  QXmlStreamReader xml = Reader(bytes);
  std::vector<std::string> cells;
  int32_t number = 0;
  while (!xml.atEnd()) {
    xml.readNext();
    if (!xml.isStartElement()) continue;
    if (IsElement(xml, u"row")) {
      bool ok = false;
      const int32_t r = xml.attributes().value(QLatin1String("r")).toInt(&ok);
      number = ok && r > number ? r : number + 1;
      if (number > static_cast<int32_t>(kMaxSheetRows)) {
        return Status::InvalidArgument("表格超过" + std::to_string(kMaxSheetRows) +
                                       "行，不能导入。");
      }
      cells.clear();
      int column = -1;
      while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && IsElement(xml, u"row")) break;
        if (!xml.isStartElement() || !IsElement(xml, u"c")) continue;
        const QString type = xml.attributes().value(QLatin1String("t")).toString();
        const int at = ColumnOf(xml.attributes().value(QLatin1String("r")));
        column = at >= 0 ? at : column + 1;
        std::string value;
        while (!xml.atEnd()) {
          xml.readNext();
          if (xml.isEndElement() && IsElement(xml, u"c")) break;
          if (!xml.isStartElement()) continue;
          if (IsElement(xml, u"v")) {
            const QString v = xml.readElementText();
            if (type == u"s") {
              bool index_ok = false;
              const qsizetype i = v.toLongLong(&index_ok);
              if (!index_ok || i < 0 || static_cast<size_t>(i) >= strings.size()) {
                return Damaged(part + "引用了不存在的共享字符串");
              }
              value = strings[static_cast<size_t>(i)];
            } else if (type == u"b") {
              value = v == u"1" ? "TRUE" : "FALSE";
            } else if (type.isEmpty() || type == u"n") {
              value = NumberText(v);
            } else {
              value = v.toStdString();
            }
          } else if (IsElement(xml, u"is")) {
            value = ItemText(xml, u"is");
          }
        }
        if (column < static_cast<int>(kMaxSheetColumns)) {
          if (cells.size() <= static_cast<size_t>(column)) cells.resize(column + 1);
          cells[static_cast<size_t>(column)] = std::move(value);
        }
      }
      if (Status s = AddUtf8Row(data, number, std::move(cells)); !s.ok()) return s;
      cells = {};
    }
  }
  if (xml.hasError()) return XmlError(xml, part);
  return Status::Ok();
}

// Target of a relation, as a path inside the archive.
std::string PartPath(const std::string& target) {
  if (target.starts_with('/')) return target.substr(1);
  return "xl/" + target;
}

}  // namespace

Result<SheetData> ReadXlsx(std::string_view bytes, int32_t sheet) {
  Result<Parts> parts = Parts::Open(bytes);
  if (!parts.ok()) return parts.status();
  bool found = false;
  Result<std::string> workbook = parts->Read("xl/workbook.xml", found);
  if (!workbook.ok()) return workbook.status();
  if (!found) return Damaged("没有xl/workbook.xml，不是Excel工作簿");
  std::vector<SheetEntry> sheets;
  {
    QXmlStreamReader xml = Reader(*workbook);
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && IsElement(xml, u"sheet")) {
        QString relation;
        for (const QXmlStreamAttribute& a : xml.attributes()) {
          if (a.name() == QLatin1String("id")) relation = a.value().toString();
        }
        sheets.push_back({xml.attributes().value(QLatin1String("name")).toString().toStdString(),
                          relation.toStdString()});
      }
    }
    if (xml.hasError()) return XmlError(xml, "workbook.xml");
  }
  if (sheets.empty()) return Damaged("工作簿里没有工作表");
  if (sheet < 0 || static_cast<size_t>(sheet) >= sheets.size()) {
    return Status::InvalidArgument("工作簿没有第" + std::to_string(sheet + 1) + "张工作表。");
  }
  std::map<std::string, std::string> targets;
  std::string shared_path = "xl/sharedStrings.xml";
  {
    Result<std::string> rels = parts->Read("xl/_rels/workbook.xml.rels", found);
    if (!rels.ok()) return rels.status();
    QXmlStreamReader xml = Reader(*rels);
    while (!xml.atEnd()) {
      xml.readNext();
      if (xml.isStartElement() && IsElement(xml, u"Relationship")) {
        const std::string target = xml.attributes().value(QLatin1String("Target")).toString().toStdString();
        targets[xml.attributes().value(QLatin1String("Id")).toString().toStdString()] = PartPath(target);
        if (xml.attributes().value(QLatin1String("Type")).endsWith(QLatin1String("/sharedStrings"))) {
          shared_path = PartPath(target);
        }
      }
    }
    if (xml.hasError()) return XmlError(xml, "workbook.xml.rels");
  }
  std::vector<std::string> strings;
  {
    Result<std::string> shared = parts->Read(shared_path, found);
    if (!shared.ok()) return shared.status();
    if (found) {
      Result<std::vector<std::string>> read = SharedStrings(*shared);
      if (!read.ok()) return read.status();
      strings = std::move(*read);
    }
  }
  const SheetEntry& chosen = sheets[static_cast<size_t>(sheet)];
  const auto target = targets.find(chosen.relation);
  const std::string part = target != targets.end()
                               ? target->second
                               : "xl/worksheets/sheet" + std::to_string(sheet + 1) + ".xml";
  Result<std::string> sheet_bytes = parts->Read(part, found);
  if (!sheet_bytes.ok()) return sheet_bytes.status();
  if (!found) return Damaged("缺少工作表" + part);

  SheetData data;
  data.kind = SheetFileKind::kXlsx;
  data.sheet = sheet;
  for (const SheetEntry& s : sheets) {
    SheetData names;
    if (Status st = AddUtf8Row(names, 1, {s.name}); !st.ok()) return st;
    data.sheet_names.push_back(names.rows.empty() || names.rows[0].cells.empty()
                                   ? std::string("?")
                                   : names.rows[0].cells[0]);
  }
  if (Status s = ReadRows(*sheet_bytes, part, strings, data); !s.ok()) return s;
  return data;
}

}  // namespace pcshop::xlsbridge
