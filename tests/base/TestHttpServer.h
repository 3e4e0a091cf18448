// A small HTTP server on 127.0.0.1 for the update client's tests: one
// thread, one request per connection, answers given by a handler.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace zeltest {

struct HttpRequest {
  std::string path;
  std::string authorization;  // value of the Authorization header
};

struct HttpReply {
  int status = 200;
  std::string body;
  int delayMs = 0;
  // After the body, this many more bytes of "0" without a length, sent
  // until the client stops reading (an endless answer).
  std::uint64_t endless = 0;
};

class TestHttpServer {
 public:
  explicit TestHttpServer(std::function<HttpReply(const HttpRequest&)> handler)
      : fHandler(std::move(handler)) {
    fSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fSocket, reinterpret_cast<sockaddr*>(&addr), &len);
    fPort = ntohs(addr.sin_port);
    ::listen(fSocket, 8);
    fThread = std::thread([this] { Serve(); });
  }
  ~TestHttpServer() {
    fStop = true;
    ::shutdown(fSocket, SHUT_RDWR);
    ::close(fSocket);
    fThread.join();
  }
  std::string Url(const std::string& prefix) const {
    return "http://127.0.0.1:" + std::to_string(fPort) + "/" + prefix;
  }

  // A port on which nothing listens.
  static int ClosedPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(s);
    return ntohs(addr.sin_port);
  }

 private:
  void Serve() {
    while (!fStop) {
      const int c = ::accept(fSocket, nullptr, nullptr);
      if (c < 0) return;
      std::string request;
      char buf[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, static_cast<std::size_t>(n));
      }
      HttpRequest req;
      const std::size_t sp = request.find(' ');
      req.path = request.substr(sp + 1, request.find(' ', sp + 1) - sp - 1);
      const std::size_t auth = request.find("Authorization: ");
      if (auth != std::string::npos)
        req.authorization = request.substr(auth + 15, request.find("\r\n", auth) - auth - 15);
      const HttpReply reply = fHandler(req);
      if (reply.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(reply.delayMs));
      const std::string length =
          reply.endless ? "" : "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
      const std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " X\r\n" + length +
                              "Connection: close\r\n\r\n" + reply.body;
      ::send(c, out.data(), out.size(), MSG_NOSIGNAL);
      const std::string zeros(1 << 16, '0');
      for (std::uint64_t left = reply.endless; left > 0 && !fStop;) {
        const ssize_t n =
            ::send(c, zeros.data(), std::min<std::uint64_t>(left, zeros.size()), MSG_NOSIGNAL);
        if (n <= 0) break;
        left -= static_cast<std::uint64_t>(n);
      }
      ::close(c);
    }
  }

  std::function<HttpReply(const HttpRequest&)> fHandler;
  int fSocket = -1;
  int fPort = 0;
  std::atomic<bool> fStop{false};
  std::thread fThread;
};

}  // namespace zeltest
