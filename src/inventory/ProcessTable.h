#pragma once
// The hidden process table: one row per position of the process list, in the
// same order. The columns kept are those the scan, the termination and the
// details panel read: 0 name, 1 identifier, 5 priority name, 6 full path.
// Each row also keeps the process's start time, so that ending the process
// can check that the identifier still names the same process.
#include <cstdint>
#include <string>
#include <vector>

#include "inventory/ProcessIdentity.h"

namespace vz::inventory {

struct ProcessRow {
  std::string name;        // column 0
  std::string identifier;  // column 1 (decimal text)
  std::string priority;    // column 5
  std::string path;        // column 6 (empty when the process cannot be opened)
  std::uint64_t startTime = 0;
};

// The identifier value of an empty slot or a blank table cell.
inline constexpr std::uint32_t kNoProcess = 99999999;

class ProcessTable {
 public:
  static constexpr int kColumns = 10;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const ProcessRow& Row(int i) const { return rows_.at(static_cast<size_t>(i)); }
  bool HasRow(int i) const { return i >= 0 && i < RowCount(); }
  // Text of a cell by column number; columns other than 0, 1, 5, 6 are empty.
  std::string Cell(int column, int row) const;
  // Column 1 as a number: kNoProcess when blank or not a number.
  std::uint32_t IdentifierAt(int row) const;
  // The process of a row as a question or an action names it (pid 0 for no row).
  ProcessIdentity IdentityAt(int row) const;
  // The row of that process now (same identifier and start time), or -1.
  int RowOf(const ProcessIdentity& process) const;

  void Clear() { rows_.clear(); }
  void Assign(std::vector<ProcessRow> rows) { rows_ = std::move(rows); }

 private:
  std::vector<ProcessRow> rows_;
};

}  // namespace vz::inventory
