#pragma once
// The shield log: the running account of what the shield did, newest entry
// first, trimmed to the 70 newest once it reaches 80, saved as "Vazeru.log"
// when the program ends. Every subsystem writes to it, so it sits below them
// all and knows none of them.
#include <functional>
#include <string>
#include <vector>

#include "log/ShieldLogSink.h"
#include "platform/Clock.h"

namespace vz::log {

class ShieldLog {
 public:
  static constexpr size_t kTrimAt = 80;
  static constexpr size_t kKeep = 70;

  explicit ShieldLog(const platform::Clock& clock = platform::SystemClock());

  // Adds "hh:mm:ss  message" on top.
  void WriteShieldLog(const std::string& message);
  // The same for a finding: a sink also receives what it is about.
  void WriteShieldLog(const std::string& message, const Finding& finding);

  const std::vector<std::string>& Entries() const { return entries_; }

  // Called after every change with the whole list (the views show it).
  void SetOnChanged(std::function<void(const std::vector<std::string>&)> onChanged) {
    onChanged_ = std::move(onChanged);
  }
  // Called with each new entry as it is written (the console prints it).
  void SetOnWritten(std::function<void(const std::string&)> onWritten) { onWritten_ = std::move(onWritten); }
  // Receives every line as it is written, besides the list (none when null).
  // The sink must outlive the log or be unset first.
  void SetSink(ShieldLogSink* sink) { sink_ = sink; }

  // The file form: every entry in list order, each ended by CR LF.
  std::string FileText() const;
  // Writes the file form to path, replacing it; false on failure (not reported).
  bool SaveTo(const std::string& path) const;

 private:
  void Write(const std::string& message, const Finding* finding);

  const platform::Clock& clock_;
  std::vector<std::string> entries_;
  std::function<void(const std::vector<std::string>&)> onChanged_;
  std::function<void(const std::string&)> onWritten_;
  ShieldLogSink* sink_ = nullptr;
};

}  // namespace vz::log
