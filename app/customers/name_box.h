#pragma once
// A box where a name of the register is chosen: find as you type by any
// part of the name, pinyin code or phone, and the way to the register for a
// name it lacks.
// The stock windows' counterparty box and 往来账's name box share it.

#include <string>
#include <string_view>
#include <vector>

#include "app/catalogue/entry_panel.h"
#include "image/calls/calls.h"

namespace pcshop::app {

// The register's names that have every word of `typed` in their name,
// pinyin code or phone, best first (app/search/name_index.h); every name in
// record order for "". Leaves the customer table current.
std::vector<std::string> NamesMatching(calls::Calls& rt, std::string_view typed);

// Refills the editable combo box `box` with NamesMatching its text; the
// typed text stays as it is, never completed or replaced.
void FillMatchingNames(calls::Calls& rt, const ControlRef& box);

// The refusal of a name the register does not hold, with how to add it
// (新客户).
std::string NameNotInRegisterText(calls::Calls& rt, const std::string& name);

// 新客户: 客户管理 opens with `name` in its name box and its pinyin code,
// ready for 新增; the window `leaving` closes as on every move between
// windows.
void OpenRegisterWithName(calls::Calls& rt, const std::string& name, uint32_t leaving);

}  // namespace pcshop::app
