#include "tools/pinyintable/pinyin_table_builder.h"

#include <cstdio>
#include <map>

#include "runtime/text/pinyin_table_format.h"

namespace pcshop::pinyintable {
namespace {

namespace t = text::pinyin_table;

// A C string literal of GBK bytes: printable ASCII as it is, anything else
// (and quote, backslash, question mark against trigraphs) escaped in octal.
void AppendLiteral(std::string& out, const std::string& bytes) {
  out += '"';
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 0x20 && b < 0x7F && c != '"' && c != '\\' && c != '?') {
      out += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\%03o", b);
      out += escaped;
    }
  }
  out += '"';
}

}  // namespace

Result<PinyinTable> BuildPinyinTable(const text::PinyinTransliterator& icu) {
  PinyinTable table;
  table.slots.assign(t::kSlotCount, t::kNoEntry);
  std::map<std::string, uint16_t> entry_of;
  for (unsigned lead = t::kLeadFirst; lead <= t::kLeadLast; ++lead) {
    for (unsigned trail = t::kTrailFirst; trail <= t::kTrailLast; ++trail) {
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const Result<std::string> reading = icu.Read(code);
      // Not a character, or a reading GBK cannot hold: the runtime asks ICU.
      if (!reading.ok()) continue;
      uint16_t entry = t::kReadsAsItself;
      if (*reading != code) {
        auto [it, added] = entry_of.try_emplace(*reading, 0);
        if (added) {
          if (table.readings.size() == t::kMaxReadings) {
            return Status::InvalidArgument("more distinct readings than a slot can name");
          }
          it->second = static_cast<uint16_t>(t::kFirstReading + table.readings.size());
          table.readings.push_back(*reading);
        }
        entry = it->second;
      }
      table.slots[t::SlotOf(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail))] =
          entry;
    }
  }
  return table;
}

std::string PinyinTableSource(const PinyinTable& table) {
  std::string out =
      "// Generated at build time by pcshop_pinyintable from ICU's \"Han-Latin; Latin-ASCII\"\n"
      "// transliterator. Do not edit.\n"
      "#include \"runtime/text/pinyin_table_format.h\"\n\n"
      "namespace pcshop::text::pinyin_table {\n\n";
  out += "extern const uint16_t kSlots[kSlotCount] = {";
  for (size_t i = 0; i < table.slots.size(); ++i) {
    out += i % 16 == 0 ? "\n  " : " ";
    out += std::to_string(table.slots[i]) + ",";
  }
  out += "\n};\n\n";
  out += "extern const uint32_t kReadingCount = " + std::to_string(table.readings.size()) + ";\n\n";
  out += "extern const uint32_t kReadingStarts[] = {";
  size_t start = 0;
  for (size_t i = 0; i <= table.readings.size(); ++i) {
    out += i % 12 == 0 ? "\n  " : " ";
    out += std::to_string(start) + ",";
    if (i < table.readings.size()) start += table.readings[i].size();
  }
  out += "\n};\n\n";
  out += "extern const char kReadingBytes[] =";
  for (size_t i = 0; i < table.readings.size(); ++i) {
    out += i % 8 == 0 ? "\n  " : " ";
    AppendLiteral(out, table.readings[i]);
  }
  if (table.readings.empty()) out += " \"\"";
  out += ";\n\n}  // namespace pcshop::text::pinyin_table\n";
  return out;
}

}  // namespace pcshop::pinyintable
