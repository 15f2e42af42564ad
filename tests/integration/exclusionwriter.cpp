// A second process for the crash test of the exclusion list: loads FILE and
// adds "/opt/tools/entry<n>" for n = the number of entries it found, then the
// next, and so on until it is killed. Each addition saves the whole list.
//   vz-test-exclusionwriter FILE
#include <string>

#include "protection/ExclusionList.h"

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  const std::string file = argv[1];
  vz::protection::ExclusionList list{vz::platform::LinuxPathConventions()};
  list.Load(file);
  for (std::size_t n = list.Entries().Count();; ++n)
    if (!list.AddExclusion("/opt/tools/entry" + std::to_string(n), file)) return 3;
}
