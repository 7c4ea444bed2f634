#pragma once
// Why the database server did not do what was asked, in words for the shop
// (Chinese, UTF-8) with the server's own text kept for its administrator.
// Such a failure travels as Status::Unavailable whose message holds three
// lines: the cause for the user, the server's (or libpq's) text, and where in
// the program it happened, for the log only.

#include <optional>
#include <string>
#include <string_view>

#include "base/status.h"

namespace pcshop::tables {

enum class ServerFault {
  kUnreachable,   // no connection could be made
  kTimeout,       // the server (or the network to it) did not answer in time
  kLoginRefused,  // the account or its password was refused
  kNoRight,       // the account lacks a right on the schema or a table
  kNoSchema,      // the schema in use is missing or closed to the account
  kShuttingDown,  // the server is stopping or starting
};

// The user's words for `fault`.
std::string_view ServerFaultText(ServerFault fault);

// The fault a SQLSTATE means, none for the errors the program's own
// messages cover (a table that is not ours, a broken record ...).
std::optional<ServerFault> FaultOfSqlState(std::string_view sqlstate);

Status ServerFailure(ServerFault fault, std::string_view server_text, std::string_view context);

struct ServerFailureParts {
  std::string cause;        // ServerFaultText
  std::string server_text;  // for the administrator
  std::string context;      // for the log
};
// The parts of a ServerFailure status; nothing for any other status.
std::optional<ServerFailureParts> ServerFailureOf(const Status& s);

// A connection-time message of libpq in verbose form ("... FATAL:  28P01:
// password authentication failed ..."): its SQLSTATE, and the message
// without the code and the LOCATION line.
struct VerboseMessage {
  std::string sqlstate;  // empty when the server sent none
  std::string text;
};
VerboseMessage ReadVerboseMessage(std::string_view message);

}  // namespace pcshop::tables
