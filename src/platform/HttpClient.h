#pragma once
// Contract: an HTTP/1.x client for the update downloader. A request is
// blocking for its caller, but the client keeps calling back while it waits,
// so the caller can let the user interface run and cut the transfer.
//  - Only http and https; https always checks the server's certificate.
//  - A request succeeds only with a 2xx answer whose body arrived whole:
//    exactly the announced length when one was announced. A short or long
//    body, another status, a redirect off the origin, a broken connection or
//    no byte for the stall time is a failure, and the body is then empty.
//  - Redirects are followed only within the same scheme, host and port.
#include <cstdint>
#include <memory>
#include <string>

namespace vz::platform {

// The fixed request settings of the update client.
inline constexpr const char* kHttpAccept = "text/html, */*";
inline constexpr const char* kHttpContentType = "text/html";
inline constexpr const char* kHttpUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

class HttpTransferEvents {
 public:
  virtual ~HttpTransferEvents() = default;
  // A 2xx answer's body begins; announced is its Content-Length, -1 when the
  // server did not say. false cuts the transfer.
  virtual bool OnTransferStart(std::int64_t announced) = 0;
  // Bytes of the body received so far. false cuts the transfer.
  virtual bool OnProgress(std::int64_t received) = 0;
  // Called at least every 50 ms while the client waits (connecting, or no
  // byte coming). false cuts the transfer.
  virtual bool KeepGoing() = 0;
};

enum class HttpFailure {
  None,
  BadUrl,        // not an http or https address
  Unreachable,   // no connection (refused, no route, name unknown, TLS refused)
  Status,        // an answer other than 2xx
  Redirect,      // a redirect to another origin, or too many
  ShortBody,     // fewer bytes than announced, or the connection broke
  LongBody,      // more bytes than announced
  TooLarge,      // more than the client accepts for one body
  Stalled,       // no byte for the stall time
  Cut,           // the caller cut it
  Other,
};

struct HttpResult {
  HttpFailure failure = HttpFailure::None;
  int status = 0;      // the last answer's status, 0 when none came
  std::string detail;  // what went wrong, for the log
  bool ok() const { return failure == HttpFailure::None; }
};

struct HttpClientOptions {
  // A file of certificates to trust instead of the system's (tests).
  std::string trustedCertificates;
  // No byte for this long ends a request (and limits a connection attempt).
  int stallSeconds = 30;
  // The largest body accepted.
  std::int64_t maxBody = std::int64_t{256} << 20;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Opens (and closes) a connection to the server of baseUrl, with the TLS
  // handshake for https: whether the server can be reached now.
  virtual HttpResult Probe(const std::string& baseUrl, HttpTransferEvents& events) = 0;
  // GET url; on success body holds the whole body.
  virtual HttpResult Get(const std::string& url, std::string& body, HttpTransferEvents& events) = 0;
};

std::unique_ptr<HttpClient> CreateHttpClient(const HttpClientOptions& options = {});

// A short text for a failure kind, for messages.
const char* HttpFailureText(HttpFailure failure);

}  // namespace vz::platform
