#include "update/UpdateFileSet.h"

#include "knowledge/UpperCase.h"

namespace vz::update {

const std::vector<UpdateFile>& UpdateFileSet() {
  static const std::vector<UpdateFile> files = {
      {"proc1.pck", "Proc1.pck"},         {"proc2.pck", "Proc2.pck"},   {"proc3.pck", "Proc3.pck"},
      {"proc4.pck", "Proc4.pck"},         {"mostcproc.txt", "MostCProc.txt"}, {"procupd.txt", "Procupd.txt"},
  };
  return files;
}

std::string LocalNameOf(const std::string& name) {
  for (const UpdateFile& f : UpdateFileSet())
    if (knowledge::SameTextIgnoringCase(f.remoteName, name)) return f.localName;
  return name;
}

std::vector<std::string> DownloadList() {
  std::vector<std::string> names;
  for (const UpdateFile& f : UpdateFileSet()) names.push_back(f.remoteName);
  return names;
}

}  // namespace vz::update
