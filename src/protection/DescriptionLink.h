#pragma once
// A description field may carry a web link in the form ("http://...")text.
// These split it into the link and the text around it.
#include <string>
#include <string_view>

namespace vz::protection {

struct LinkAndRest {
  std::string link;
  std::string rest;
};

// True when the text holds a double quote and "http://" in any case: the
// sign of a description line that carries a link.
bool HasQuotedHttpLink(std::string_view text);

// The link of a process description and the text after the link's ")".
LinkAndRest SplitProcessDescriptionLink(const std::string& text);

// The link of a startup finding's description: the part in the first
// parentheses, taken out of the text, and of it the address between its
// double quotes (empty when it holds none).
LinkAndRest SplitDescriptionLink(const std::string& text);

}  // namespace vz::protection
