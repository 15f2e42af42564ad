#pragma once
// What the administration console's window edits: one schedule, loaded from
// the schedule record and saved back whole. The window only shows this model
// and forwards every change to it.
#include <string>
#include <vector>

#include "platform/Registry.h"
#include "update/ScheduleSettings.h"

namespace vz::update {

class AdminConsoleModel {
 public:
  explicit AdminConsoleModel(platform::RegistryStore& registry) : registry_(registry) {}

  // Reads the record. A missing record or values that are missing or not of
  // their form leave the defaults in place, which Status() says. False when
  // the store cannot be read.
  bool Load();
  // Writes every value and re-arms the schedule (Runupdate "0"). False, with
  // the reason in Status(), when a value does not fit or the record cannot be
  // written; nothing is written then.
  bool Save();
  // One line for the window's status bar.
  const std::string& Status() const { return status_; }

  const ScheduleSettings& Settings() const { return settings_; }
  void SetType(int type) { settings_.type = type; }
  void SetDay(int day) { settings_.day = day; }
  void SetHour(int hour) { settings_.hour = hour; }
  void SetClock24(bool on) { settings_.clock24 = on; }
  void SetRunMissed(bool on) { settings_.runMissed = on; }
  void SetDeactivated(bool on) { settings_.deactivated = on; }
  void SetUpdateFromLan(bool on) { settings_.updateFromLan = on; }
  void SetLanSource(std::string folder) { settings_.lanSource = std::move(folder); }
  void SetCopyToLan(bool on) { settings_.copyToLan = on; }
  void SetLanTarget(std::string folder) { settings_.lanTarget = std::move(folder); }
  void SetUpdateServer(std::string address) { settings_.updateServer = std::move(address); }

  // The captions of the type, day and hour lists; the hour list follows the
  // clock setting and its position is the hour 0..23.
  static std::vector<std::string> TypeCaptions();
  static std::vector<std::string> DayCaptions();
  std::vector<std::string> HourCaptions() const;

  // Which controls mean something for the schedule as it stands.
  bool DayApplies() const { return settings_.type == 1; }
  bool HourApplies() const { return settings_.type != 2; }
  bool LanSourceApplies() const { return settings_.updateFromLan; }
  // The copy to a LAN folder follows a download from the update server.
  bool CopyApplies() const { return !settings_.updateFromLan; }
  bool LanTargetApplies() const { return CopyApplies() && settings_.copyToLan; }
  bool ServerApplies() const { return !settings_.updateFromLan; }

 private:
  platform::RegistryStore& registry_;
  ScheduleSettings settings_;
  std::string status_;
};

// "00:00".."23:00", or "12:00 AM", "1:00 AM" .. "11:00 PM" on the 12-hour clock.
std::string HourCaption(int hour, bool clock24);

}  // namespace vz::update
