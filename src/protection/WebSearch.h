#pragma once
// The web search the alert and the details panel open for a file name: the
// endpoint's "/search" path with the name as the "q=" query, percent-encoded
// so that names with blanks, "&" or "#" search for the whole name.
#include <string>

namespace vz::protection {

// Scheme and host of the search endpoint: the configured one when there is
// one, otherwise a public web search.
std::string SearchEndpoint();
std::string SearchUrl(const std::string& endpoint, const std::string& query);
// RFC 3986 percent-encoding of everything but unreserved characters.
std::string PercentEncode(const std::string& text);

}  // namespace vz::protection
