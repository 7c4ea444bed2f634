#pragma once
// A TCP forwarder on loopback, for a network that fails silently: every
// connection to port() is passed on to the target until Stall(), after which
// nothing passes either way and the sockets stay open, as when a cable is
// pulled. Without a target it accepts connections and never answers, as a
// host that swallows them.

#include <atomic>
#include <string>
#include <thread>

namespace pcshop::test_server {

class TcpProxy {
 public:
  // target_port 0: swallow every connection.
  explicit TcpProxy(int target_port = 0);
  TcpProxy(const TcpProxy&) = delete;
  TcpProxy& operator=(const TcpProxy&) = delete;
  ~TcpProxy();

  bool ready() const { return listener_ >= 0; }
  int port() const { return port_; }
  void Stall() { stalled_ = true; }
  // Passes data again; connections are untouched.
  void Resume() { stalled_ = false; }

 private:
  void Serve();

  int target_port_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stalled_{false};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// The port of a libpq connection string's "port=N" when the server listens
// on it at 127.0.0.1 (0 otherwise).
int PortOf(const std::string& conninfo);

}  // namespace pcshop::test_server
