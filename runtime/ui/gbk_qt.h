#pragma once
// Texts crossing the widget edge: GBK bytes in the runtime, UTF-16 in Qt.

#include <QString>
#include <string>
#include <string_view>

namespace pcshop::ui {

// Invalid GBK shows as U+FFFD; never fails.
QString FromGbk(std::string_view gbk);
// A character GBK cannot hold becomes '?'; never fails.
std::string ToGbk(const QString& text);
// The GBK byte length ToGbk would give.
size_t GbkLength(const QString& text);
// True when `name` (GBK or UTF-8) names the GBK text `gbk_name`.
bool NameMatches(std::string_view gbk_name, std::string_view name);

}  // namespace pcshop::ui
