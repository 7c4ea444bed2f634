#include "runtime/tables/server_settings.h"

#include <libpq-fe.h>

#include <fstream>
#include <sstream>
#include <system_error>

#include "runtime/tables/server_backend.h"

namespace pcshop::tables {
namespace {

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

struct ConninfoFree {
  void operator()(PQconninfoOption* o) const { PQconninfoFree(o); }
};
struct PqFree {
  void operator()(char* p) const { PQfreemem(p); }
};

// The connection string as libpq reads it; a password in it is refused.
Status CheckConnection(const std::string& conninfo, size_t line) {
  char* raw_error = nullptr;
  std::unique_ptr<PQconninfoOption, ConninfoFree> options(PQconninfoParse(conninfo.c_str(), &raw_error));
  std::unique_ptr<char, PqFree> error(raw_error);
  const std::string where = "第 " + std::to_string(line) + " 行：";
  if (options == nullptr) {
    std::string why = error != nullptr ? error.get() : "内存不足";
    while (!why.empty() && why.back() == '\n') why.pop_back();
    return Status::InvalidArgument(where + "连接串无法解读（" + why + "）");
  }
  for (const PQconninfoOption* o = options.get(); o->keyword != nullptr; ++o) {
    if (std::string_view(o->keyword) == "password" && o->val != nullptr) {
      return Status::InvalidArgument(where +
                                     "设置文件里不能写密码，请把密码写在 ~/.pgpass 文件里");
    }
  }
  return Status::Ok();
}

}  // namespace

Result<ServerSettings> ParseServerSettings(std::string_view text) {
  std::optional<ServerSettings> settings;
  size_t number = 0;
  size_t server_line = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++number;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const std::string where = "第 " + std::to_string(number) + " 行：";
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      return Status::InvalidArgument(where + "应为“键 = 值”的形式");
    }
    const std::string_view key = Trim(line.substr(0, eq));
    const std::string_view value = Trim(line.substr(eq + 1));
    if (key != "server") {
      return Status::InvalidArgument(where + "不认识的设置项“" + std::string(key) + "”");
    }
    if (settings) return Status::InvalidArgument(where + "server 设置了两次");
    if (value.empty()) return Status::InvalidArgument(where + "server 没有给出连接串");
    settings = ServerSettings{std::string(value)};
    server_line = number;
  }
  if (!settings) return Status::InvalidArgument("没有 server = … 一行");
  if (Status s = CheckConnection(settings->connection, server_line); !s.ok()) return s;
  return *settings;
}

Result<std::optional<ServerSettings>> ReadServerSettings(const std::filesystem::path& folder) {
  const std::filesystem::path file = folder / kServerSettingsFile;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec) && !ec) return std::optional<ServerSettings>();
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in || ec) return Status::IOError("文件无法读取");
  auto settings = ParseServerSettings(text.str());
  if (!settings.ok()) return settings.status();
  return std::optional<ServerSettings>(std::move(settings).value());
}

Result<std::unique_ptr<TableBackend>> ChooseTableBackend(const std::filesystem::path& folder) {
  auto settings = ReadServerSettings(folder);
  if (!settings.ok()) {
    return Status::InvalidArgument(std::string("数据库设置文件 ") + kServerSettingsFile +
                                   " 有误：" + settings.status().message());
  }
  if (!*settings) return std::unique_ptr<TableBackend>(std::make_unique<FileBackend>());
  auto backend = ServerBackend::Connect((*settings)->connection, folder);
  if (!backend.ok()) return backend.status();
  return std::unique_ptr<TableBackend>(std::move(backend).value());
}

}  // namespace pcshop::tables
