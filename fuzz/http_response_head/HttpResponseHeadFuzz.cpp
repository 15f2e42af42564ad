// Any bytes as the head of an update server's answer: the parser never
// crashes, and what it accepts is sane (a three-digit status, a length that
// is either unannounced or a number it read, none for a chunked body), and
// it reads the same head the same way with LF instead of CR LF line ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/HttpResponseHead.h"

using namespace vz::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  HttpResponseHead head = ParseResponseHead(text);
  if (!head.valid) return 0;
  if (head.status < 100 || head.status > 999) std::abort();
  if (head.contentLength < -1) std::abort();
  if (head.chunked && head.contentLength != -1) std::abort();
  if (text.find("\r\n") == std::string_view::npos) return 0;
  std::string lf;
  for (std::size_t i = 0; i < size; ++i)
    if (!(text[i] == '\r' && i + 1 < size && text[i + 1] == '\n')) lf += text[i];
  HttpResponseHead again = ParseResponseHead(lf);
  if (again.valid != head.valid || again.status != head.status || again.contentLength != head.contentLength)
    std::abort();
  return 0;
}
