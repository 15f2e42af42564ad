#include "http/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace vz::testsupport {

struct TestHttpServer::Connection {
  int fd = -1;
  SSL* ssl = nullptr;
  std::string pending;  // bytes read past the last request

  bool Write(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
      long n = ssl ? SSL_write(ssl, data.data() + done, static_cast<int>(data.size() - done))
                   : ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
};

TestHttpServer::TestHttpServer() {
  // The TLS writes go through OpenSSL's own socket calls: a client that hangs
  // up early must not end the test program.
  std::signal(SIGPIPE, SIG_IGN);
  Listen();
}

TestHttpServer::TestHttpServer(const std::string& certificateFile, const std::string& keyFile) {
  std::signal(SIGPIPE, SIG_IGN);
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  if (!ctx || SSL_CTX_use_certificate_chain_file(ctx, certificateFile.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
    if (ctx) SSL_CTX_free(ctx);
    throw std::runtime_error("test server: cannot load the certificate");
  }
  tls_ = ctx;
  scheme_ = "https";
  Listen();
}

void TestHttpServer::Listen() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int one = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listenFd_, 16) != 0)
    throw std::runtime_error("test server: cannot listen on 127.0.0.1");
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (auto& c : open_) ::shutdown(c->fd, SHUT_RDWR);
  }
  stopped_.notify_all();
  ::shutdown(listenFd_, SHUT_RDWR);
  acceptor_.join();
  ::close(listenFd_);
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& w : workers) w.join();
  if (tls_) SSL_CTX_free(static_cast<SSL_CTX*>(tls_));
}

std::string TestHttpServer::BaseUrl() const { return scheme_ + "://127.0.0.1:" + std::to_string(port_); }

void TestHttpServer::SetFile(const std::string& target, const std::string& contents) {
  std::lock_guard lock(mutex_);
  files_[target] = contents;
}

void TestHttpServer::SetBehaviour(const std::string& target, Behaviour behaviour, const std::string& redirectTo) {
  std::lock_guard lock(mutex_);
  behaviours_[target] = {behaviour, redirectTo};
}

void TestHttpServer::RemoveFile(const std::string& target) {
  std::lock_guard lock(mutex_);
  files_.erase(target);
}

std::vector<TestHttpServer::Request> TestHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

int TestHttpServer::RequestCount(const std::string& target) const {
  std::lock_guard lock(mutex_);
  int n = 0;
  for (const auto& r : requests_) n += r.target == target;
  return n;
}

int TestHttpServer::TotalRequests() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(requests_.size());
}

void TestHttpServer::AcceptLoop() {
  while (!stopping_) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (stopping_) return;
      continue;
    }
    ++connections_;
    auto c = std::make_shared<Connection>();
    c->fd = fd;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    open_.push_back(c);
    workers_.emplace_back([this, c] { Serve(c); });
  }
}

void TestHttpServer::Serve(std::shared_ptr<Connection> c) {
  if (tls_) {
    c->ssl = SSL_new(static_cast<SSL_CTX*>(tls_));
    SSL_set_fd(c->ssl, c->fd);
    if (SSL_accept(c->ssl) != 1) {
      SSL_free(c->ssl);
      c->ssl = nullptr;
      ::close(c->fd);
      return;
    }
  }
  bool keepOpen = true;
  while (keepOpen && !stopping_) {
    // One request head.
    size_t end;
    while ((end = c->pending.find("\r\n\r\n")) == std::string::npos) {
      char data[4096];
      long n;
      if (c->ssl) {
        size_t got = 0;
        n = SSL_read_ex(c->ssl, data, sizeof data, &got) == 1 ? static_cast<long>(got) : 0;
      } else {
        n = ::recv(c->fd, data, sizeof data, 0);
      }
      if (n <= 0) {
        keepOpen = false;
        break;
      }
      c->pending.append(data, static_cast<size_t>(n));
    }
    if (!keepOpen) break;
    std::string head = c->pending.substr(0, end + 2);
    c->pending.erase(0, end + 4);
    Request request;
    size_t sp1 = head.find(' ');
    size_t sp2 = head.find(' ', sp1 + 1);
    request.method = head.substr(0, sp1);
    request.target = sp1 == std::string::npos ? "" : head.substr(sp1 + 1, sp2 - sp1 - 1);
    request.head = head;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    Respond(*c, request, keepOpen);
  }
  if (c->ssl) {
    SSL_shutdown(c->ssl);
    SSL_free(c->ssl);
    c->ssl = nullptr;
  }
  // A lingering close: the answer's end is sent, then what the client still
  // sends is read away (up to a second), so closing never resets the
  // connection under data the client has not read yet.
  ::shutdown(c->fd, SHUT_WR);
  for (int waited = 0; waited < 1000 && !stopping_; waited += 50) {
    pollfd p{c->fd, POLLIN, 0};
    if (::poll(&p, 1, 50) <= 0) continue;
    char data[4096];
    if (::recv(c->fd, data, sizeof data, 0) <= 0) break;
  }
  std::lock_guard lock(mutex_);
  ::shutdown(c->fd, SHUT_RDWR);
  ::close(c->fd);
  for (auto it = open_.begin(); it != open_.end(); ++it)
    if (it->get() == c.get()) {
      open_.erase(it);
      break;
    }
}

void TestHttpServer::Respond(Connection& c, const Request& request, bool& keepOpen) {
  std::string body;
  bool found;
  std::pair<Behaviour, std::string> behaviour{Behaviour::Serve, ""};
  {
    std::lock_guard lock(mutex_);
    auto f = files_.find(request.target);
    found = f != files_.end();
    if (found) body = f->second;
    auto b = behaviours_.find(request.target);
    if (b != behaviours_.end()) behaviour = b->second;
  }
  // A client that asks for one answer per connection gets it.
  std::string lower = request.head;
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  bool wantsClose = lower.find("\r\nconnection: close\r\n") != std::string::npos;
  keepOpen = !wantsClose;
  auto head = [](const std::string& status, size_t length) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
           std::to_string(length) + "\r\n\r\n";
  };
  if (behaviour.first == Behaviour::Redirect) {
    c.Write("HTTP/1.1 302 Found\r\nLocation: " + behaviour.second + "\r\nContent-Length: 0\r\n\r\n");
    return;
  }
  if (behaviour.first == Behaviour::Status500) {
    std::string page = "<html>server error</html>";
    c.Write(head("500 Internal Server Error", page.size()) + page);
    return;
  }
  if (!found) {
    std::string page = "<html>not found</html>";
    c.Write(head("404 Not Found", page.size()) + page);
    return;
  }
  switch (behaviour.first) {
    case Behaviour::Serve: keepOpen = c.Write(head("200 OK", body.size()) + body) && !wantsClose; return;
    case Behaviour::CloseMidBody: c.Write(head("200 OK", body.size()) + body.substr(0, body.size() / 2)); break;
    case Behaviour::LengthTooLong: c.Write(head("200 OK", body.size() + 100) + body); break;
    case Behaviour::LengthTooShort: c.Write(head("200 OK", body.size() / 2) + body); break;
    case Behaviour::Stall: {
      c.Write(head("200 OK", body.size()) + body.substr(0, body.size() / 2));
      // Nothing more until the client leaves or the server stops.
      while (!stopping_) {
        pollfd p{c.fd, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0) {
          char data[256];
          if (::recv(c.fd, data, sizeof data, MSG_DONTWAIT) <= 0) break;
        }
      }
      break;
    }
    case Behaviour::Slow: {
      if (!c.Write(head("200 OK", body.size()))) break;
      for (size_t at = 0; at < body.size() && !stopping_; at += 1024) {
        if (!c.Write(body.substr(at, 1024))) break;
        std::unique_lock lock(mutex_);
        stopped_.wait_for(lock, std::chrono::milliseconds(20), [this] { return stopping_.load(); });
      }
      return;
    }
    default: break;
  }
  keepOpen = false;
}

bool MakeSelfSignedCertificate(const std::string& certificateFile, const std::string& keyFile, std::string& why) {
  if (std::system("command -v openssl >/dev/null 2>&1") != 0) {
    why = "the openssl program is not installed";
    return false;
  }
  std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 "
                        "-subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                        keyFile + "' -out '" + certificateFile + "' >/dev/null 2>&1";
  int status = std::system(command.c_str());
  if (status != 0) {
    why = "openssl could not make a certificate (status " + std::to_string(status) + ")";
    return false;
  }
  return true;
}

}  // namespace vz::testsupport
