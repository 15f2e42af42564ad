#include "protection/DescriptionLink.h"

#include <algorithm>
#include <cctype>

namespace vz::protection {

namespace {

std::string Upper(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool HasHttp(const std::string& text) { return Upper(text).find("HTTP://") != std::string::npos; }

bool IsBlank(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; });
}

}  // namespace

LinkAndRest SplitProcessDescriptionLink(const std::string& text) {
  size_t firstQuote = text.find('"');
  if (firstQuote == std::string::npos || !HasHttp(text)) return {std::string(), text};

  // The rest: after the first ")" (the whole text when there is none) up to
  // the next ")" or the end.
  size_t close = text.find(')');
  size_t restBegin = close == std::string::npos ? 0 : close + 1;
  size_t restEnd = text.find(')', restBegin);
  std::string rest = text.substr(restBegin, restEnd == std::string::npos ? std::string::npos : restEnd - restBegin);

  std::string link = text.substr(0, firstQuote);
  if (IsBlank(link) || !HasHttp(link)) {
    size_t secondQuote = text.find('"', firstQuote + 1);
    link = text.substr(firstQuote + 1,
                       secondQuote == std::string::npos ? std::string::npos : secondQuote - firstQuote - 1);
    if (!HasHttp(link)) link.clear();
  }
  link.erase(std::remove(link.begin(), link.end(), '('), link.end());
  return {link, rest};
}

}  // namespace vz::protection
