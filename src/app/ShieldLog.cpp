#include "app/ShieldLog.h"

#include "platform/FileSystem.h"

namespace vz::app {

ShieldLog::ShieldLog(const platform::Clock& clock) : clock_(clock) {}

void ShieldLog::WriteShieldLog(const std::string& message) {
  std::string entry = platform::FormatTimeOfDay(clock_.Now()) + "  " + message;
  entries_.insert(entries_.begin(), entry);
  if (entries_.size() >= kTrimAt) entries_.resize(kKeep);
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

}  // namespace vz::app
