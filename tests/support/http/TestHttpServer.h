#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the tests and the benchmark: it
// serves files from memory and, per path, misbehaves as a test asks (closes
// in the middle of a body, announces a wrong length, answers 500, redirects,
// stalls, or sends slowly). With a certificate and key it speaks TLS.
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vz::testsupport {

class TestHttpServer {
 public:
  enum class Behaviour {
    Serve,         // 200 with the file and its length
    CloseMidBody,  // the right length announced, half the body, then the connection closed
    LengthTooLong, // a length announced beyond the body, the body, then closed
    LengthTooShort,// a length announced below the body, the whole body in one write, then closed
    Status500,     // 500 with a small error page
    Redirect,      // 302 to the redirect target
    Stall,         // the head and half the body, then nothing until the client leaves
    Slow,          // the body in 1 KiB pieces, 20 ms apart
  };

  struct Request {
    std::string method;
    std::string target;
    std::string head;  // the request's header lines as sent
  };

  // Plain HTTP, or TLS with the given PEM certificate and key.
  TestHttpServer();
  TestHttpServer(const std::string& certificateFile, const std::string& keyFile);
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT" (https for TLS).
  std::string BaseUrl() const;

  // Serves contents at target ("/qv/proc1.pck"); anything else is a 404.
  void SetFile(const std::string& target, const std::string& contents);
  void SetBehaviour(const std::string& target, Behaviour behaviour, const std::string& redirectTo = "");
  void RemoveFile(const std::string& target);

  std::vector<Request> Requests() const;
  int RequestCount(const std::string& target) const;
  int TotalRequests() const;
  // Connections accepted (a TLS handshake the client refused counts too).
  int Connections() const { return connections_.load(); }

 private:
  struct Connection;
  void Listen();
  void AcceptLoop();
  void Serve(std::shared_ptr<Connection> connection);
  void Respond(Connection& c, const Request& request, bool& keepOpen);

  std::string scheme_ = "http";
  void* tls_ = nullptr;  // SSL_CTX
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> connections_{0};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  std::map<std::string, std::string> files_;
  std::map<std::string, std::pair<Behaviour, std::string>> behaviours_;
  std::vector<Request> requests_;
  std::vector<std::thread> workers_;
  std::vector<std::shared_ptr<Connection>> open_;
};

// Makes a self-signed certificate for 127.0.0.1 with the openssl program:
// false with the reason when the program is missing or fails.
bool MakeSelfSignedCertificate(const std::string& certificateFile, const std::string& keyFile, std::string& why);

}  // namespace vz::testsupport
