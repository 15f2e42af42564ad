// Any bytes as a startup command (the Exec of a desktop file anyone may
// write) and as a spyware description: the program path holds no quote and
// no blank in its file name and is made of the command's own characters; the
// link and the rest of a description are never longer than the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "protection/DescriptionLink.h"
#include "startup/StartupCommand.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string path = vz::startup::ProgramPathOfCommand(text);
  if (path.size() > text.size()) std::abort();
  if (path.find('"') != std::string::npos) std::abort();
  if (vz::startup::CommandNamePart(path).find(' ') != std::string::npos) std::abort();
  std::string unquoted;
  for (char c : text)
    if (c != '"') unquoted += c;
  if (unquoted.compare(0, path.size(), path) != 0) std::abort();

  const vz::protection::LinkAndRest split = vz::protection::SplitDescriptionLink(text);
  if (split.rest.size() > text.size() || split.link.size() > text.size()) std::abort();
  if (!split.link.empty() && text.find(split.link) == std::string::npos) std::abort();
  return 0;
}
