#include "inventory/ProcessTable.h"

#include <charconv>

namespace vz::inventory {

std::string ProcessTable::Cell(int column, int row) const {
  if (!HasRow(row)) return std::string();
  const ProcessRow& r = Row(row);
  switch (column) {
    case 0: return r.name;
    case 1: return r.identifier;
    case 5: return r.priority;
    case 6: return r.path;
    default: return std::string();
  }
}

std::uint32_t ProcessTable::IdentifierAt(int row) const {
  if (!HasRow(row)) return kNoProcess;
  const std::string& text = Row(row).identifier;
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return kNoProcess;
  std::uint32_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + text.size(), value);
  if (ec != std::errc()) return kNoProcess;
  return value;
}

ProcessIdentity ProcessTable::IdentityAt(int row) const {
  if (!HasRow(row)) return {};
  std::uint32_t pid = IdentifierAt(row);
  const ProcessRow& r = Row(row);
  return ProcessIdentity{pid == kNoProcess ? 0 : pid, r.startTime, r.path, r.name};
}

int ProcessTable::RowOf(const ProcessIdentity& process) const {
  if (!process.Valid()) return -1;
  for (int i = 0; i < RowCount(); ++i)
    if (IdentifierAt(i) == process.pid && Row(i).startTime == process.startTime) return i;
  return -1;
}

}  // namespace vz::inventory
