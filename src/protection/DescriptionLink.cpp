#include "protection/DescriptionLink.h"

#include <algorithm>

#include "knowledge/TextFields.h"
#include "knowledge/UpperCase.h"

namespace vz::protection {

namespace {

bool HasHttp(std::string_view text) { return knowledge::UpperCaseText(text).find("HTTP://") != std::string::npos; }

}  // namespace

bool HasQuotedHttpLink(std::string_view text) { return text.find('"') != std::string_view::npos && HasHttp(text); }

LinkAndRest SplitProcessDescriptionLink(const std::string& text) {
  if (!HasQuotedHttpLink(text)) return {std::string(), text};
  size_t firstQuote = text.find('"');

  // The rest: after the first ")" (the whole text when there is none) up to
  // the next ")" or the end.
  size_t close = text.find(')');
  size_t restBegin = close == std::string::npos ? 0 : close + 1;
  size_t restEnd = text.find(')', restBegin);
  std::string rest = text.substr(restBegin, restEnd == std::string::npos ? std::string::npos : restEnd - restBegin);

  std::string link = text.substr(0, firstQuote);
  if (knowledge::IsBlank(link) || !HasHttp(link)) {
    size_t secondQuote = text.find('"', firstQuote + 1);
    link = text.substr(firstQuote + 1,
                       secondQuote == std::string::npos ? std::string::npos : secondQuote - firstQuote - 1);
    if (!HasHttp(link)) link.clear();
  }
  link.erase(std::remove(link.begin(), link.end(), '('), link.end());
  return {link, rest};
}

LinkAndRest SplitDescriptionLink(const std::string& text) {
  if (!HasQuotedHttpLink(text)) return {std::string(), text};
  size_t open = text.find('(');
  size_t close = text.find(')');
  std::string inside;
  if (open != std::string::npos && close != std::string::npos && close > open)
    inside = text.substr(open + 1, close - open - 1);
  std::string rest = text;
  const std::string part = "(" + inside + ")";
  if (size_t at = rest.find(part); at != std::string::npos) rest.erase(at, part.size());
  // ("http://...") holds the address in double quotes: the link is what they
  // enclose (to the end when the closing one is missing).
  size_t quote = inside.find('"');
  if (quote == std::string::npos) return {std::string(), rest};
  size_t end = inside.find('"', quote + 1);
  return {inside.substr(quote + 1, end == std::string::npos ? std::string::npos : end - quote - 1), rest};
}

}  // namespace vz::protection
