// pcshop-copy: moves a shop's tables between a DATA folder and a PostgreSQL
// server. Exit codes: 0 copied and checked, 1 failed (nothing or, when
// stated, only part was written), 2 wrong use.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/tables/table_types.h"
#include "tools/servercopy/server_copy.h"

namespace {

constexpr const char* kHelp =
    "pcshop-copy: copies the shop's tables between a DATA folder and a database server\n"
    "\n"
    "  pcshop-copy to-server <DATA folder> \"<connection>\" [--replace]\n"
    "      copies every table file (*.zdb) of the folder into the server\n"
    "  pcshop-copy from-server \"<connection>\" <DATA folder> [--replace]\n"
    "      writes every server table of that folder back into table files\n"
    "\n"
    "<connection> is the server line of pcshop-server.conf, for example\n"
    "  \"host=192.168.1.10 port=5432 dbname=pcshop user=counter\"\n"
    "The password comes from ~/.pgpass, never from the command line.\n"
    "\n"
    "Close every copy of the program before copying. The tables keep their names:\n"
    "DATA/CPU.zdb on the server is CPU.zdb in the folder. After the copy every record\n"
    "is read back and compared with the source; any difference is an error.\n"
    "A server table that holds records, or a table file that exists, is not\n"
    "overwritten unless --replace is given; then nothing at all is copied.\n"
    "\n"
    "Exit code: 0 copied and checked, 1 failed, 2 wrong use.\n";

int Usage(const char* why) {
  std::fprintf(stderr, "pcshop-copy: %s\nTry: pcshop-copy --help\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args;
  bool replace = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    }
    if (a == "--replace") {
      replace = true;
    } else if (a.size() > 1 && a.front() == '-') {
      return Usage(("unknown option " + std::string(a)).c_str());
    } else {
      args.emplace_back(a);
    }
  }
  if (args.size() != 3) return Usage("expected a direction, a folder and a connection");

  namespace sc = pcshop::servercopy;
  sc::CopyOptions options;
  options.replace = replace;
  options.progress = [](const std::string& line) { std::printf("%s\n", line.c_str()); };
  const bool to_server = args[0] == "to-server";
  if (!to_server && args[0] != "from-server") {
    return Usage(("unknown direction " + args[0] + " (to-server or from-server)").c_str());
  }
  const auto copied = to_server ? sc::CopyToServer(args[1], args[2], options)
                                : sc::CopyFromServer(args[1], args[2], options);
  const char* where = to_server ? "to the server" : "into the folder";
  if (!copied.ok()) {
    std::fprintf(stderr, "pcshop-copy: %s\n", copied.status().message().c_str());
    return 1;
  }
  int64_t records = 0;
  for (const sc::CopiedTable& t : *copied) records += t.records;
  std::printf("Copied %zu tables with %lld records %s; every record checked and the same.\n",
              copied->size(), static_cast<long long>(records), where);
  return 0;
}
