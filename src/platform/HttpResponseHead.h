#pragma once
// The head of an HTTP/1.x answer, parsed from its bytes: the status and the
// two headers the client acts on. The head comes from the network, so every
// field is checked: a malformed status line, a Content-Length that is not a
// plain decimal number (or too large), or two that disagree make the head
// invalid, and an invalid head fails the request.
#include <cstdint>
#include <string>
#include <string_view>

namespace vz::platform {

struct HttpResponseHead {
  bool valid = false;
  int status = 0;
  std::int64_t contentLength = -1;  // -1: not announced
  bool chunked = false;
  std::string location;             // "" when there is none
};

// text is every header line of one answer, each ended by CR LF or LF, the
// status line first; the blank line that ends the head may be there or not.
HttpResponseHead ParseResponseHead(std::string_view text);

}  // namespace vz::platform
