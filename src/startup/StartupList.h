#pragma once
// The startup list of the "Startup programs" page: the rows read from the two
// Run keys, the selected row, and the fingerprints of the watch. It grows with
// the entries (every entry is shown and scanned). Removing an entry deletes
// its Run value after the user confirmed it; the program file stays.
#include <string>
#include <vector>

#include "log/ShieldLog.h"
#include "platform/Registry.h"
#include "protection/AlertModel.h"
#include "startup/StartupEntries.h"
#include "ui/Ports.h"

namespace vz::startup {

class StartupList final : public protection::StartupListAccess {
 public:
  StartupList(platform::RegistryStore& registry, const ui::Ports& ports, log::ShieldLog& log);

  // Rereads both Run keys into the list, keeping the selected row, and
  // stores the new fingerprint. Writes "Examine Startups" to the shield log.
  void RefreshStartupList();
  // Rereads both Run keys into the list and returns the fingerprint (not stored).
  std::string EnumerateStartupEntries();

  const std::vector<ui::StartupRow>& Rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  int SelectedRow() const { return selected_; }

  // Fingerprint of the list as read last, and of the list at the last watch scan.
  std::string fingerprint;
  std::string scannedFingerprint;

  // "Remove": asks, then deletes the selected entry's Run value and refreshes
  // the list. Cancel changes nothing, the list included.
  void RemoveStartupEntry();

  // The alert's view of the list.
  void SelectRow(int row) override;
  std::string Cell(int column, int row) const override;
  bool DeleteRunValue(bool currentUser, const std::string& valueName) override;

  // Asks "Remove this startup program : NAME"; true on OK.
  bool ConfirmRemoval(const std::string& valueName);

 private:
  void Show();

  platform::RegistryStore& registry_;
  ui::Ports ports_;
  log::ShieldLog& log_;
  std::vector<ui::StartupRow> rows_;
  int selected_ = -1;
};

}  // namespace vz::startup
