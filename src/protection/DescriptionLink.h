#pragma once
// A description field may carry a web link in the form ("http://...")text.
// These split it into the link and the text around it.
#include <string>

namespace vz::protection {

struct LinkAndRest {
  std::string link;
  std::string rest;
};

// The link of a process description and the text after the link's ")".
LinkAndRest SplitProcessDescriptionLink(const std::string& text);

}  // namespace vz::protection
