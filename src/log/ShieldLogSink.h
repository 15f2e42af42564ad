#pragma once
// A receiver of the shield log's lines outside the program's own list (a
// system journal, for one). Lines about a finding carry its fields, so that
// such a receiver can record them apart from the text.
#include <cstdint>
#include <string>

namespace vz::log {

// What a finding is about.
struct Finding {
  std::string entryName;    // the name in the spyware list
  std::string programPath;  // the program's file
  std::uint32_t pid = 0;    // the process; 0 for a finding that is no process
  std::string action;       // what the shield did about it
};

struct ShieldLogLine {
  std::string entry;                // as in the list: "hh:mm:ss  message"
  std::string message;              // the message alone
  const Finding* finding = nullptr;  // set for a finding
};

class ShieldLogSink {
 public:
  virtual ~ShieldLogSink() = default;
  // Called on the thread that writes the log, after the line is in the list.
  virtual void Receive(const ShieldLogLine& line) = 0;
};

}  // namespace vz::log
