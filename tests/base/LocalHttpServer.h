// An HTTP server on 127.0.0.1 for tests: answers each request (method line,
// headers and body as received) with what the handler says, one request
// per connection. It can delay its answer or send a body without end.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zeltest {

class LocalHttpServer {
 public:
  struct Answer {
    std::string body;
    int delayMs = 0;
    bool endless = false;
  };
  using Handler = std::function<Answer(const std::string& request)>;

  explicit LocalHttpServer(Handler handler) : fHandler(std::move(handler)) {
    fListen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (::bind(fListen, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(fListen, 8) != 0 ||
        ::getsockname(fListen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      std::abort();
    fPort = ntohs(a.sin_port);
    fThread = std::thread([this] { Serve(); });
  }
  ~LocalHttpServer() {
    fStop = true;
    fThread.join();
    ::close(fListen);
  }

  int Port() const { return fPort; }
  std::string Url() const {
    return "http://127.0.0.1:" + std::to_string(fPort) + "/biconline/index.cfm";
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(fMutex);
    return fRequests;
  }

  // A port on which nobody listens.
  static int ClosedPort() {
    LocalHttpServer s([](const std::string&) { return Answer{}; });
    return s.Port();
  }

 private:
  void Serve() {
    while (!fStop) {
      pollfd p{fListen, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(fListen, nullptr, nullptr);
      if (fd < 0) continue;
      const std::string request = Read(fd);
      {
        std::lock_guard<std::mutex> lock(fMutex);
        fRequests.push_back(request);
      }
      Reply(fd, fHandler(request));
      ::close(fd);
    }
  }

  static std::string Read(int fd) {
    std::string r;
    char buf[4096];
    std::size_t need = std::string::npos;
    while (need == std::string::npos || r.size() < need) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 2000) <= 0) break;
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n <= 0) break;
      r.append(buf, static_cast<std::size_t>(n));
      const std::size_t head = r.find("\r\n\r\n");
      if (head != std::string::npos && need == std::string::npos) {
        const std::size_t cl = r.find("Content-Length: ");
        need =
            head + 4 + (cl != std::string::npos && cl < head ? std::stoul(r.substr(cl + 16)) : 0);
      }
    }
    return r;
  }

  void Reply(int fd, const Answer& a) {
    for (int waited = 0; waited < a.delayMs && !fStop; waited += 10)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n";
    if (!a.endless) head += "Content-Length: " + std::to_string(a.body.size()) + "\r\n";
    head += "\r\n";
    Send(fd, head + a.body);
    const std::string chunk(65536, 'x');
    while (a.endless && !fStop && Send(fd, chunk)) {
    }
  }

  static bool Send(int fd, const std::string& s) {
    for (std::size_t done = 0; done < s.size();) {
      const ssize_t n = ::send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  Handler fHandler;
  int fListen = -1;
  int fPort = 0;
  std::atomic<bool> fStop{false};
  std::thread fThread;
  std::mutex fMutex;
  std::vector<std::string> fRequests;
};

}  // namespace zeltest
