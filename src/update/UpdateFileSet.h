#pragma once
// The six data files that updates handle, by the name the update server and
// a share give them and by the name the shield reads them under. Names from
// outside compare without regard to case; a file always lands under the
// shield's own name, whatever case it arrived in.
#include <string>
#include <vector>

namespace vz::update {

struct UpdateFile {
  const char* remoteName;  // as the server and the copy to a share name it
  const char* localName;   // as the shield reads it from its folder
};

// In the order the updates handle them.
const std::vector<UpdateFile>& UpdateFileSet();

// The name the shield reads a file under: the local name of the update file
// that name matches without regard to case, otherwise the name itself.
std::string LocalNameOf(const std::string& name);

// The server names, in order: the list "Run update now" fetches.
std::vector<std::string> DownloadList();

}  // namespace vz::update
