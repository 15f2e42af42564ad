#pragma once
// Which process a question or an action is about: its identifier, its start
// time (which tells a reused identifier apart), its program path (which
// tells an exec apart) and the name the list showed. Taken when the user is
// asked, so that the answer applies to that process and to no other one that
// has come to the same row or identifier meanwhile.
#include <cstdint>
#include <string>

namespace vz::inventory {

struct ProcessIdentity {
  std::uint32_t pid = 0;
  std::uint64_t startTime = 0;  // 0: unknown, the process cannot be named safely
  std::string path;             // empty when the program file could not be read
  std::string name;

  // Something to end: a known identifier and start time.
  bool Valid() const { return pid != 0 && startTime != 0; }
  // The same process (identifier and start time), whatever it runs now.
  bool SameProcess(const ProcessIdentity& other) const { return pid == other.pid && startTime == other.startTime; }
};

}  // namespace vz::inventory
