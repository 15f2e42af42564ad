#include "startup/StartupList.h"

namespace vz::startup {

StartupList::StartupList(platform::RegistryStore& registry, const ui::Ports& ports, log::ShieldLog& log)
    : registry_(registry), ports_(ports), log_(log) {}

void StartupList::Show() { ports_.mainWindow->SetStartupRows(rows_, selected_); }

std::string StartupList::EnumerateStartupEntries() {
  StartupEntries entries = startup::EnumerateStartupEntries(registry_);
  rows_ = std::move(entries.rows);
  // The selected row number stays while the list holds it.
  if (selected_ >= RowCount()) selected_ = -1;
  Show();
  return std::move(entries.fingerprint);
}

void StartupList::RefreshStartupList() {
  const int remembered = selected_;
  rows_.clear();
  log_.WriteShieldLog("Examine Startups");
  fingerprint = EnumerateStartupEntries();
  if (remembered < RowCount()) selected_ = remembered;
  Show();
}

void StartupList::SelectRow(int row) {
  selected_ = row >= 0 && row < RowCount() ? row : -1;
  Show();
}

std::string StartupList::Cell(int column, int row) const {
  if (row < 0 || row >= RowCount()) return std::string();
  const ui::StartupRow& r = rows_[static_cast<std::size_t>(row)];
  switch (column) {
    case 0: return r.valueName;
    case 1: return r.command;
    case 2: return r.hiveTag;
    default: return std::string();
  }
}

bool StartupList::DeleteRunValue(bool currentUser, const std::string& valueName) {
  platform::RegistryKey key;
  if (!registry_.OpenKey(currentUser ? platform::RegistryRoot::CurrentUser : platform::RegistryRoot::LocalMachine,
                         kRunKey, platform::RegAccess::ReadWrite, platform::RegDisposition::OpenExisting, key))
    return false;
  // Whether the value went is shown by the list afterwards.
  key.DeleteValue(valueName);
  return true;
}

bool StartupList::ConfirmRemoval(const std::string& valueName) {
  return ports_.dialogs->Ask("Remove Startup", "Remove this startup program : " + valueName,
                             ui::DialogButtons::OkCancel) == ui::DialogAnswer::Ok;
}

void StartupList::RemoveStartupEntry() {
  const int row = selected_;
  // No row selected: nothing to remove.
  if (row < 0 || row >= RowCount()) return;
  const std::string valueName = Cell(0, row);
  if (!ConfirmRemoval(valueName)) return;
  DeleteRunValue(TagMeansCurrentUser(Cell(2, row)), valueName);
  RefreshStartupList();
}

}  // namespace vz::startup
