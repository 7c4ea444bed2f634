#include "runtime/tables/server_failure.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace pcshop::tables {
namespace {

// Whitespace runs become one space: the parts are lines of their own.
std::string OneLine(std::string_view text) {
  std::string out;
  bool gap = false;
  for (const char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      gap = true;
      continue;
    }
    if (gap && !out.empty()) out += ' ';
    gap = false;
    out += c;
  }
  return out;
}

bool IsSqlStateChar(char c) { return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'Z'); }

}  // namespace

std::string_view ServerFaultText(ServerFault fault) {
  switch (fault) {
    case ServerFault::kUnreachable: return "无法连接数据库服务器，请检查网络和服务器是否开启。";
    case ServerFault::kTimeout: return "数据库服务器没有及时应答，请检查网络和服务器。";
    case ServerFault::kLoginRefused: return "数据库服务器拒绝了登录，请检查账户和密码。";
    case ServerFault::kNoRight:
      return "数据库账户没有所需的权限，请管理员检查它对架构和表的权限。";
    case ServerFault::kNoSchema:
      return "数据库账户无法使用所设的架构（架构不存在或没有使用权限），请管理员检查。";
    case ServerFault::kShuttingDown: return "数据库服务器正在关闭或重启，请稍后重试。";
  }
  return {};
}

std::optional<ServerFault> FaultOfSqlState(std::string_view sqlstate) {
  static constexpr std::array<std::pair<std::string_view, ServerFault>, 8> kFaults{{
      {"28000", ServerFault::kLoginRefused},  // invalid authorization (pg_hba, NOLOGIN)
      {"28P01", ServerFault::kLoginRefused},  // wrong password
      {"42501", ServerFault::kNoRight},
      {"3F000", ServerFault::kNoSchema},  // also: no usable schema to create in
      {"57P01", ServerFault::kShuttingDown},
      {"57P02", ServerFault::kShuttingDown},
      {"57P03", ServerFault::kShuttingDown},
      {"55P03", ServerFault::kTimeout},  // lock_timeout: another counter holds the table
  }};
  for (const auto& [state, fault] : kFaults) {
    if (state == sqlstate) return fault;
  }
  if (sqlstate == "57014") return ServerFault::kTimeout;  // statement_timeout
  if (sqlstate.starts_with("08")) return ServerFault::kUnreachable;
  return std::nullopt;
}

Status ServerFailure(ServerFault fault, std::string_view server_text, std::string_view context) {
  std::string text = OneLine(server_text);
  if (text.empty()) text = "no message from the server";
  return Status::Unavailable(std::string(ServerFaultText(fault)) + "\n" + text + "\n" +
                             OneLine(context));
}

std::optional<ServerFailureParts> ServerFailureOf(const Status& s) {
  if (s.code() != Status::Code::kUnavailable) return std::nullopt;
  const std::string& m = s.message();
  const size_t first = m.find('\n');
  if (first == std::string::npos) return std::nullopt;
  const size_t second = m.find('\n', first + 1);
  if (second == std::string::npos) return std::nullopt;
  return ServerFailureParts{m.substr(0, first), m.substr(first + 1, second - first - 1),
                            m.substr(second + 1)};
}

VerboseMessage ReadVerboseMessage(std::string_view message) {
  VerboseMessage out;
  std::string kept;
  while (!message.empty()) {
    const size_t end = message.find('\n');
    std::string_view line = message.substr(0, end);
    message = end == std::string_view::npos ? std::string_view() : message.substr(end + 1);
    if (line.starts_with("LOCATION:")) continue;
    // The severity (in the server's language) is followed by two spaces,
    // then the code and ": ".
    const size_t at = line.find(":  ");
    if (at != std::string_view::npos && line.size() >= at + 3 + 7) {
      const std::string_view code = line.substr(at + 3, 5);
      if (std::all_of(code.begin(), code.end(), IsSqlStateChar) && line.substr(at + 8, 2) == ": ") {
        if (out.sqlstate.empty()) out.sqlstate = std::string(code);
        kept += std::string(line.substr(0, at + 3)) + std::string(line.substr(at + 10));
        kept += '\n';
        continue;
      }
    }
    kept += std::string(line) + '\n';
  }
  out.text = OneLine(kept);
  return out;
}

}  // namespace pcshop::tables
