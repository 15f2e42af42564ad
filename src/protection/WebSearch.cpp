#include "protection/WebSearch.h"

#include "platform/ConfiguredSettings.h"

namespace vz::protection {

std::string SearchEndpoint() {
  std::string configured = platform::ConfiguredSearchEndpoint();
  if (!configured.empty()) return configured;
  return "https://www.google.com";
}

std::string PercentEncode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '.' || c == '_' || c == '~';
    if (unreserved) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string SearchUrl(const std::string& endpoint, const std::string& query) {
  std::string base = endpoint;
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/search?q=" + PercentEncode(query);
}

}  // namespace vz::protection
