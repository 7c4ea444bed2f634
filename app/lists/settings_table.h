#pragma once
// The user's choices that outlive a session (a remembered column mapping, a
// threshold), as name and value texts in "\DATA\设置.zdb", opened as "设置".
// Kept in a table so that they travel with backups and are shared on the
// server; any window may keep its own names there.

#include <optional>
#include <string>

#include "image/calls/calls.h"

namespace pcshop::app {

// Start-up: creates the table when missing.
void PrepareSettingsTable(calls::Calls& rt);

// The value kept under `name` (GBK), in one query; nothing when none was
// kept or the table cannot be used. The current table stays current.
std::optional<std::string> ReadSetting(calls::Calls& rt, const std::string& name);

// Keeps `value` under `name` in one write: the record modified when there is
// one, else appended (never twice, even with another counter writing the
// same name at once). False when the table store refused it. The current
// table stays current.
bool WriteSetting(calls::Calls& rt, const std::string& name, const std::string& value);

}  // namespace pcshop::app
