#include "log/ShieldLog.h"

#include "platform/FileSystem.h"

namespace vz::log {

ShieldLog::ShieldLog(const platform::Clock& clock) : clock_(clock) {}

void ShieldLog::WriteShieldLog(const std::string& message) { Write(message, nullptr); }

void ShieldLog::WriteShieldLog(const std::string& message, const Finding& finding) { Write(message, &finding); }

void ShieldLog::Write(const std::string& message, const Finding* finding) {
  std::string entry = platform::FormatTimeOfDay(clock_.Now()) + "  " + message;
  entries_.insert(entries_.begin(), entry);
  if (entries_.size() >= kTrimAt) entries_.resize(kKeep);
  if (sink_) sink_->Receive(ShieldLogLine{entry, message, finding});
  if (onWritten_) onWritten_(entry);
  if (onChanged_) onChanged_(entries_);
}

std::string ShieldLog::FileText() const {
  std::string text;
  for (const auto& e : entries_) {
    text += e;
    text += "\r\n";
  }
  return text;
}

bool ShieldLog::SaveTo(const std::string& path) const { return platform::WriteFileAtomic(path, FileText()).ok(); }

}  // namespace vz::log
