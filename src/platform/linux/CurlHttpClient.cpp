// The update client on libcurl's multi interface: one transfer at a time,
// polled in short slices so that the caller's events run while it waits.
#include <curl/curl.h>
#include <csignal>

#include <mutex>

#include "platform/HttpClient.h"
#include "platform/HttpResponseHead.h"

namespace vz::platform {

const char* HttpFailureText(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::None: return "no failure";
    case HttpFailure::BadUrl: return "not an http or https address";
    case HttpFailure::Unreachable: return "the server cannot be reached";
    case HttpFailure::Status: return "the server did not answer with success";
    case HttpFailure::Redirect: return "the server redirected to another address";
    case HttpFailure::ShortBody: return "the body ended before its announced length";
    case HttpFailure::LongBody: return "the body is longer than announced";
    case HttpFailure::TooLarge: return "the body is too large";
    case HttpFailure::Stalled: return "no data arrived in time";
    case HttpFailure::Cut: return "the transfer was cut";
    case HttpFailure::Other: return "the transfer failed";
  }
  return "the transfer failed";
}

namespace {

constexpr int kPollMs = 50;
constexpr int kMaxRedirects = 5;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // With CURLOPT_NOSIGNAL curl leaves SIGPIPE alone, and a TLS write to a
    // connection the server closed would end the whole shield. Programs the
    // shield starts get the default disposition back (see the launchers).
    std::signal(SIGPIPE, SIG_IGN);
  });
}

// What one request learns while it runs, shared with curl's callbacks.
struct Transfer {
  HttpTransferEvents* events = nullptr;
  std::int64_t maxBody = 0;
  std::string headText;
  HttpResponseHead head;
  bool headDone = false;
  std::string* body = nullptr;
  HttpFailure stop = HttpFailure::None;  // why a callback ended the transfer

  bool Success() const { return headDone && head.status >= 200 && head.status < 300; }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  size_t n = size * count;
  t.headText.append(data, n);
  if (t.headText.size() > 64 * 1024) {
    t.stop = HttpFailure::Other;
    return 0;
  }
  bool blank = (n == 2 && data[0] == '\r' && data[1] == '\n') || (n == 1 && data[0] == '\n');
  if (!blank) return n;
  HttpResponseHead head = ParseResponseHead(t.headText);
  t.headText.clear();
  if (!head.valid) {
    t.stop = HttpFailure::Other;
    return 0;
  }
  if (head.status < 200) return n;  // an interim answer; the real one follows
  t.head = head;
  t.headDone = true;
  t.body->clear();
  if (!t.Success()) return n;
  if (head.contentLength > t.maxBody) {
    t.stop = HttpFailure::TooLarge;
    return 0;
  }
  if (head.contentLength > 0) t.body->reserve(static_cast<size_t>(head.contentLength));
  if (!t.events->OnTransferStart(head.contentLength)) {
    t.stop = HttpFailure::Cut;
    return 0;
  }
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  size_t n = size * count;
  if (!t.Success()) return n;  // the body of a redirect or an error page
  std::int64_t total = static_cast<std::int64_t>(t.body->size() + n);
  if (t.head.contentLength >= 0 && total > t.head.contentLength) {
    t.stop = HttpFailure::LongBody;
    return 0;
  }
  if (total > t.maxBody) {
    t.stop = HttpFailure::TooLarge;
    return 0;
  }
  t.body->append(data, n);
  if (!t.events->OnProgress(total)) {
    t.stop = HttpFailure::Cut;
    return 0;
  }
  return n;
}

HttpFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT: return HttpFailure::BadUrl;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM: return HttpFailure::Unreachable;
    case CURLE_OPERATION_TIMEDOUT: return HttpFailure::Stalled;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR: return HttpFailure::ShortBody;
    case CURLE_ABORTED_BY_CALLBACK: return HttpFailure::Cut;
    default: return HttpFailure::Other;
  }
}

// Scheme, host and port of an absolute address; "" when it cannot be parsed.
std::string OriginOf(const std::string& url) {
  CURLU* u = curl_url();
  std::string origin;
  if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK) {
    char* scheme = nullptr;
    char* host = nullptr;
    char* port = nullptr;
    if (curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
      origin = std::string(scheme) + "://" + host + ":" + port;
    curl_free(scheme);
    curl_free(host);
    curl_free(port);
  }
  curl_url_cleanup(u);
  return origin;
}

class CurlHttpClient final : public HttpClient {
 public:
  explicit CurlHttpClient(const HttpClientOptions& options) : options_(options) {
    GlobalInit();
    multi_ = curl_multi_init();
    easy_ = curl_easy_init();
    headers_ = curl_slist_append(headers_, (std::string("Accept: ") + kHttpAccept).c_str());
    headers_ = curl_slist_append(headers_, (std::string("Content-Type: ") + kHttpContentType).c_str());
    // One answer per connection, read to its end: a body longer than its
    // Content-Length is then seen (curl alone stops at the length and leaves
    // the rest on the connection).
    headers_ = curl_slist_append(headers_, "Connection: close");
  }

  ~CurlHttpClient() override {
    curl_easy_cleanup(easy_);
    curl_multi_cleanup(multi_);
    curl_slist_free_all(headers_);
  }

  HttpResult Probe(const std::string& baseUrl, HttpTransferEvents& events) override {
    CURL* probe = curl_easy_init();
    if (!probe) return {HttpFailure::Other, 0, "no transfer handle"};
    SetCommonOptions(probe, baseUrl);
    curl_easy_setopt(probe, CURLOPT_CONNECT_ONLY, 1L);
    bool cut = false;
    CURLcode code = Drive(probe, events, cut);
    HttpResult result;
    if (cut) {
      result = {HttpFailure::Cut, 0, HttpFailureText(HttpFailure::Cut)};
    } else if (code != CURLE_OK) {
      result = {FailureOf(code), 0, ErrorText(code)};
    }
    curl_easy_cleanup(probe);
    return result;
  }

  HttpResult Get(const std::string& url, std::string& body, HttpTransferEvents& events) override {
    body.clear();
    std::string target = url;
    std::string origin = OriginOf(url);
    for (int redirects = 0;; ++redirects) {
      HttpResult result = GetOnce(target, body, events);
      if (!result.ok() || result.status < 300 || result.status >= 400) {
        if (!result.ok()) body.clear();
        return result;
      }
      body.clear();
      char* next = nullptr;
      curl_easy_getinfo(easy_, CURLINFO_REDIRECT_URL, &next);
      if (!next) return {HttpFailure::Status, result.status, "status " + std::to_string(result.status)};
      std::string nextUrl = next;
      if (origin.empty() || OriginOf(nextUrl) != origin)
        return {HttpFailure::Redirect, result.status, "redirected to " + nextUrl};
      if (redirects + 1 >= kMaxRedirects) return {HttpFailure::Redirect, result.status, "too many redirects"};
      target = nextUrl;
    }
  }

 private:
  void SetCommonOptions(CURL* easy, const std::string& url) {
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROXY, "");  // no proxy, whatever the environment says
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options_.stallSeconds));
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options_.trustedCertificates.empty())
      curl_easy_setopt(easy, CURLOPT_CAINFO, options_.trustedCertificates.c_str());
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer_);
    errorBuffer_[0] = 0;
  }

  HttpResult GetOnce(const std::string& url, std::string& body, HttpTransferEvents& events) {
    curl_easy_reset(easy_);
    SetCommonOptions(easy_, url);
    Transfer t;
    t.events = &events;
    t.maxBody = options_.maxBody;
    t.body = &body;
    curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, kHttpUserAgent);
    curl_easy_setopt(easy_, CURLOPT_COOKIEFILE, "");  // cookies accepted, kept in memory
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options_.stallSeconds));
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, &t);
    // The body is read until the server closes and measured here against
    // the announced length, in both directions.
    curl_easy_setopt(easy_, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);

    bool cut = false;
    CURLcode code = Drive(easy_, events, cut);
    HttpResult result;
    result.status = t.headDone ? t.head.status : 0;
    if (cut) return {HttpFailure::Cut, result.status, HttpFailureText(HttpFailure::Cut)};
    if (t.stop != HttpFailure::None) {
      result.failure = t.stop;
      result.detail = t.stop == HttpFailure::Other ? "malformed answer" : HttpFailureText(t.stop);
      return result;
    }
    if (code != CURLE_OK) {
      result.failure = FailureOf(code);
      result.detail = ErrorText(code);
      return result;
    }
    if (!t.headDone) return {HttpFailure::Other, 0, "no answer"};
    if (t.head.status >= 300 && t.head.status < 400) return result;  // the caller follows or refuses it
    if (!t.Success()) return {HttpFailure::Status, t.head.status, "status " + std::to_string(t.head.status)};
    if (t.head.contentLength >= 0 && static_cast<std::int64_t>(body.size()) != t.head.contentLength)
      return {HttpFailure::ShortBody, t.head.status, HttpFailureText(HttpFailure::ShortBody)};
    return result;
  }

  // Runs one transfer to its end, calling KeepGoing between slices; cut is
  // set when KeepGoing said stop.
  CURLcode Drive(CURL* easy, HttpTransferEvents& events, bool& cut) {
    curl_multi_add_handle(multi_, easy);
    CURLcode code = CURLE_OK;
    int running = 1;
    while (true) {
      if (curl_multi_perform(multi_, &running) != CURLM_OK) {
        code = CURLE_FAILED_INIT;
        break;
      }
      if (running == 0) {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi_, &left))
          if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) code = msg->data.result;
        break;
      }
      curl_multi_poll(multi_, nullptr, 0, kPollMs, nullptr);
      if (!events.KeepGoing()) {
        cut = true;
        break;
      }
    }
    curl_multi_remove_handle(multi_, easy);
    return code;
  }

  std::string ErrorText(CURLcode code) const {
    return errorBuffer_[0] ? std::string(errorBuffer_) : std::string(curl_easy_strerror(code));
  }

  HttpClientOptions options_;
  CURLM* multi_ = nullptr;
  CURL* easy_ = nullptr;
  curl_slist* headers_ = nullptr;
  char errorBuffer_[CURL_ERROR_SIZE] = {};
};

}  // namespace

std::unique_ptr<HttpClient> CreateHttpClient(const HttpClientOptions& options) {
  return std::make_unique<CurlHttpClient>(options);
}

}  // namespace vz::platform
