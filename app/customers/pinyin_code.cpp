// The two pure text functions of the customer window.

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "app/customers/customer_register.h"
#include "image/app_symbols.h"

namespace pcshop::app {
namespace {

// Where a DLL call that took the wrong number of words is reported.
constexpr calls::Site kTrimBlanksSite{51, 0};
constexpr int32_t kPinyinMode = 1;

// The surname a name starts with, when the name's first characters are a
// surname read otherwise than the characters' common reading.
struct Surname {
  size_t bytes = 0;           // the surname's length in the name; 0: none
  std::string_view initials;  // one letter for each of its characters
};

// The table (the text SurnameReadings) is a list of entries separated by one
// space, each the surname's characters followed by their initials: "曾z",
// "万俟mq". Its readings are those that common dictionaries give these
// characters as surnames: 曾 Zēng, 单 Shàn, 乐 Yuè, 仇 Qiú, 解 Xiè, 区 Ōu,
// 查 Zhā, 朴 Piáo, 盖 Gě, 覃 Qín, 缪 Miào, 翟 Zhái, 种 Chóng, 折 Shé,
// 召 Shào, 句 Gōu, 祭 Zhài, 秘 Bì, 繁 Pó, 阚 Kàn, 蕃 Pí, 佴 Nài, 乜 Niè,
// 颉 Xié, 炅 Guì; the compound surnames 万俟 Mòqí, 尉迟 Yùchí, 澹台 Tántái.
// 尉 alone is the surname Wèi, as its common reading has it. 单于 Chányú is
// left out: a name 单于… is far more often 单 Shàn with a given name 于….
// The longest entry that starts the name wins.
Surname SurnameOf(std::string_view table, std::string_view name) {
  Surname found;
  while (!table.empty()) {
    const size_t end = table.find(' ');
    const std::string_view entry = table.substr(0, end);
    table = end == std::string_view::npos ? std::string_view() : table.substr(end + 1);
    size_t characters = 0;
    while (characters < entry.size() && static_cast<unsigned char>(entry[characters]) >= 0x80) {
      characters += 2;
    }
    const std::string_view initials = entry.substr(std::min(characters, entry.size()));
    // A malformed entry (a letter missing or extra) names no surname.
    if (initials.empty() || characters != 2 * initials.size()) continue;
    if (characters > found.bytes && name.starts_with(entry.substr(0, characters))) {
      found = {characters, initials};
    }
  }
  return found;
}

}  // namespace

std::string MakePinyinCode(calls::Calls& rt, const char* name) {
  // An absent name is the empty name.
  if (name == nullptr) name = "";
  const Surname surname = SurnameOf(rt.ConstText(sym::text::kSurnameReadings), name);
  std::string code(surname.initials);
  const int32_t length = rt.TextLength(name);
  for (int32_t p = 1 + static_cast<int32_t>(surname.bytes); p <= length;) {
    if (rt.CharCode(name, p) >= 0) {
      code.push_back(name[p - 1]);
      ++p;
      continue;
    }
    code.append(PinyinInitialAt(rt, name, p));
    p += 2;
  }
  return code;
}

std::string PinyinInitialAt(calls::Calls& rt, const char* text, int32_t position) {
  const calls::OwnedText character = rt.MidText(text, position, 2);
  const calls::OwnedText reading = rt.ConvertText(character.c_str(), kPinyinMode);
  // Whole characters only: a symbol read as itself gives no initial.
  const calls::OwnedText initial = rt.LeftText(reading.c_str(), 1);
  return std::string(initial.view());
}

calls::OwnedText TrimBlanks(calls::Calls& rt, const char* text) {
  // PathRemoveBlanksA trims in place: it works on a copy the runtime made.
  calls::OwnedText copy = rt.LeftText(text, rt.TextLength(text));
  if (!copy) return copy;
  (void)rt.Dll(rt.Id(sym::dll::kCommand11), {reinterpret_cast<uintptr_t>(copy.get())},
               kTrimBlanksSite);
  return copy;
}

}  // namespace pcshop::app
