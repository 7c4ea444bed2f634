#include "tests/support/tcp_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <regex>
#include <vector>

namespace pcshop::test_server {
namespace {

int ConnectTo(int port) {
  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
  if (s >= 0) ::close(s);
  return -1;
}

}  // namespace

int PortOf(const std::string& conninfo) {
  std::smatch m;
  static const std::regex kPort(R"((?:^|\s)port\s*=\s*(\d+))");
  if (!std::regex_search(conninfo, m, kPort)) return 0;
  // A cluster on its Unix socket alone names a port too; only a listener on
  // loopback can stand behind the proxy.
  const int port = std::stoi(m[1]);
  const int probe = ConnectTo(port);
  if (probe < 0) return 0;
  ::close(probe);
  return port;
}

TcpProxy::TcpProxy(int target_port) : target_port_(target_port) {
  listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  if (listener_ < 0 || ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0) {
    if (listener_ >= 0) ::close(listener_);
    listener_ = -1;
    return;
  }
  port_ = ntohs(a.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

TcpProxy::~TcpProxy() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

void TcpProxy::Serve() {
  struct Pair {
    int client, server;
  };
  std::vector<Pair> pairs;
  std::vector<int> swallowed;
  while (!stop_) {
    std::vector<pollfd> fds{{listener_, POLLIN, 0}};
    if (!stalled_) {
      for (const Pair& p : pairs) {
        fds.push_back({p.client, POLLIN, 0});
        fds.push_back({p.server, POLLIN, 0});
      }
    }
    if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
    if ((fds[0].revents & POLLIN) != 0) {
      const int client = ::accept(listener_, nullptr, nullptr);
      const int server = client >= 0 && target_port_ != 0 ? ConnectTo(target_port_) : -1;
      if (server >= 0) {
        pairs.push_back({client, server});
      } else if (client >= 0) {
        swallowed.push_back(client);
      }
      continue;  // the pair list changed under fds
    }
    std::vector<bool> ended(pairs.size(), false);
    for (size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0 || ended[(i - 1) / 2]) continue;
      const Pair& p = pairs[(i - 1) / 2];
      const int from = fds[i].fd;
      const int to = from == p.client ? p.server : p.client;
      char buffer[16384];
      const ssize_t n = ::read(from, buffer, sizeof buffer);
      // One side closed: so is the other, as a real connection would be.
      if (n <= 0 || ::write(to, buffer, static_cast<size_t>(n)) != n) ended[(i - 1) / 2] = true;
    }
    for (size_t i = pairs.size(); i-- > 0;) {
      if (!ended[i]) continue;
      ::close(pairs[i].client);
      ::close(pairs[i].server);
      pairs.erase(pairs.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  for (const Pair& p : pairs) {
    ::close(p.client);
    ::close(p.server);
  }
  for (int s : swallowed) ::close(s);
}

}  // namespace pcshop::test_server
