#include "platform/HttpResponseHead.h"

#include <cctype>

namespace vz::platform {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool NameIs(std::string_view name, std::string_view wanted) {
  if (name.size() != wanted.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(name[i])) != wanted[i]) return false;
  return true;
}

// "HTTP/1.x NNN reason": the status, or -1.
int ParseStatusLine(std::string_view line) {
  if (line.size() < 12 || line.substr(0, 7) != "HTTP/1." || !std::isdigit(static_cast<unsigned char>(line[7])) ||
      line[8] != ' ')
    return -1;
  int status = 0;
  for (size_t i = 9; i < 12; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(line[i]))) return -1;
    status = status * 10 + (line[i] - '0');
  }
  if (line.size() > 12 && line[12] != ' ') return -1;
  if (status < 100) return -1;
  return status;
}

// A plain decimal number below 2^62; -1 otherwise.
std::int64_t ParseLength(std::string_view value) {
  if (value.empty() || value.size() > 18) return -1;
  std::int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

}  // namespace

HttpResponseHead ParseResponseHead(std::string_view text) {
  HttpResponseHead head;
  bool first = true;
  bool lengthSeen = false;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      head.status = ParseStatusLine(line);
      if (head.status < 0) return HttpResponseHead{};
      first = false;
      continue;
    }
    if (line.empty()) break;  // the end of the head
    size_t colon = line.find(':');
    // Folded or nameless lines are not accepted from a server.
    if (colon == std::string_view::npos || colon == 0 || line.front() == ' ' || line.front() == '\t')
      return HttpResponseHead{};
    std::string_view name = line.substr(0, colon);
    std::string_view value = Trim(line.substr(colon + 1));
    if (NameIs(name, "content-length")) {
      std::int64_t length = ParseLength(value);
      if (length < 0 || (lengthSeen && length != head.contentLength)) return HttpResponseHead{};
      head.contentLength = length;
      lengthSeen = true;
    } else if (NameIs(name, "transfer-encoding")) {
      head.chunked = true;
    } else if (NameIs(name, "location")) {
      head.location = std::string(value);
    }
  }
  if (first) return HttpResponseHead{};
  // A chunked body announces no length, whatever Content-Length says.
  if (head.chunked) head.contentLength = -1;
  head.valid = true;
  return head;
}

}  // namespace vz::platform
