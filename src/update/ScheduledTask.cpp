#include "update/ScheduledTask.h"

#include <stdexcept>

#include "platform/FileSystem.h"
#include "update/ScheduleRecord.h"
#include "update/UpdateFileCopy.h"
#include "update/UpdateFileSet.h"

namespace vz::update {

namespace {

// The LAN update's names and those of the copy to a share, in their order.
const char* const kLanNames[] = {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "MOstcproc.txt", "Procupd.txt"};
const char* const kShareNames[] = {"Proc1.pck", "Proc2.pck", "Proc3.pck", "Proc4.pck", "mostcproc.txt", "procupd.txt"};

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

// One trailing separator off a folder setting (the console may store either kind).
std::string StripTrailingSeparator(std::string path) {
  if (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
  return path;
}

// The downloader knows it serves a scheduled run for the time of the task,
// however the task ends; the window is closed at the end.
class FlagScope {
 public:
  explicit FlagScope(UpdateDownloader& d) : d_(d) { d_.SetScheduledRun(true); }
  ~FlagScope() {
    d_.SetScheduledRun(false);
    d_.CloseDialog();
  }

 private:
  UpdateDownloader& d_;
};

}  // namespace

int DayNumber(const platform::LocalTime& time) { return time.weekday == 0 ? 7 : time.weekday; }

ScheduledTask::ScheduledTask(const ScheduledTaskServices& services, ui::TimerFactory& timers)
    : s_(services), timer_(timers.CreateTimer(kIntervalMs, [this] { OnTimer(); })) {}

void ScheduledTask::OnTimer() {
  try {
    ScheduleRecord record(s_.registry);
    // Without read and write access to the key nothing is read or written.
    if (!record.Open(platform::RegAccess::ReadWrite)) return;
    TimerStep(record);
  } catch (const std::exception&) {
    s_.log.WriteShieldLog(kLogErrorRunningSchedule);
  }
}

void ScheduledTask::TimerStep(ScheduleRecord& record) {
  if (record.ReadBoolean("ScheDeac")) return;
  std::string type = record.ReadTrimmed("Schtype");
  if (type == kTypeAtStartup) return;
  platform::LocalTime now = s_.clock.Now();
  int today = DayNumber(now);
  if (record.ReadText("Runupdate") == "0") {
    bool due = false;
    if (type == kTypeWeekly) {
      long day = record.ReadNumber("Schday");
      if (today == day + 1) {
        due = true;
      } else if (today > day + 1 && record.ReadBoolean("Runmissed")) {
        s_.log.WriteShieldLog(kLogRunningMissed);
        record.WriteText("Runupdate", "1");
        RunScheduledTask();
      }
    }
    if (type == kTypeDaily) due = true;
    if (due) {
      long hour = record.ReadNumber("schetime");
      if (hour == now.hour) {
        record.WriteText("Runupdate", "1");
        RunScheduledTask();
      }
      if (hour < now.hour && record.ReadBoolean("Runmissed")) {
        s_.log.WriteShieldLog(kLogRunningMissed);
        record.WriteText("Runupdate", "1");
        RunScheduledTask();
      }
    }
  } else if (now.hour == 0) {
    // The hour after midnight arms the next period: each day, or each Monday for a weekly schedule.
    if (type != kTypeWeekly || today == 1) record.WriteText("Runupdate", "0");
  }
}

void ScheduledTask::StartupCheck() {
  try {
    ScheduleRecord record(s_.registry);
    platform::RegStatus status = record.CreateIfMissing();
    if (status) status = record.Open(platform::RegAccess::ReadWrite, platform::RegDisposition::CreateIfMissing);
    if (!status) throw EScheduleRecord(status.Text());
    if (record.ReadTrimmed("Schedeac") == "0" && record.ReadTrimmed("Schtype") == kTypeAtStartup) {
      s_.log.WriteShieldLog(kLogRunningAtStartup);
      RunScheduledTask();
    }
  } catch (const std::exception&) {
    s_.log.WriteShieldLog(kLogCouldNotOpenHive);
  }
}

void ScheduledTask::RunScheduledTask() {
  s_.downloader.SetNewDataDownloaded(false);
  s_.log.WriteShieldLog(kLogScheduleTaskRunning);
  FlagScope scheduled(s_.downloader);

  ScheduleRecord record(s_.registry);
  if (record.Open(platform::RegAccess::ReadWrite)) {
    if (record.ReadBoolean("Updlan")) {
      std::string share = StripTrailingSeparator(record.ReadText("UpdlanS"));
      if (!Trim(share).empty()) LanUpdate(platform::IncludeTrailingSeparator(share));
    } else {
      s_.runUpdate.Run();
    }
  }
  if (!s_.downloader.NewDataDownloaded()) return;
  if (s_.downloader.IsDialogShowing()) s_.downloader.CloseDialog();
  ScheduleRecord again(s_.registry);
  if (again.Open(platform::RegAccess::ReadWrite) && again.ReadBoolean("Copylan")) {
    std::string target = StripTrailingSeparator(again.ReadText("CopylanS"));
    if (Trim(target).empty())
      s_.log.WriteShieldLog(kLogCopyPathProblem);
    else
      CopyToShare(target);
  }
  s_.log.WriteShieldLog(kLogNewUpdatesRestarting);
  if (s_.restart) s_.restart();
}

void ScheduledTask::LanUpdate(const std::string& share) {
  bool changed = false;
  try {
    for (const char* name : kLanNames) {
      if (!LanFileChanged(share, name)) continue;
      std::string local = *FindIgnoringCase(s_.appFolder, LocalNameOf(name));
      std::string remote = *FindIgnoringCase(share, name);
      CopyFileTo(share + remote, s_.appFolder + local);
      changed = true;
    }
  } catch (const std::exception&) {
    s_.log.WriteShieldLog(kLogLanCouldNotCopy);
    return;
  }
  if (!changed) return;
  s_.log.WriteShieldLog(kLogNewUpdatesRestarting);
  if (s_.restart) s_.restart();
}

void ScheduledTask::CopyToShare(const std::string& target) {
  try {
    bool folder = platform::FolderExists(target);
    for (const char* name : kShareNames) {
      std::optional<std::string> local = FindIgnoringCase(s_.appFolder, LocalNameOf(name));
      std::string source = s_.appFolder + (local ? *local : std::string(name));
      // Into a folder under the name the share is given the file by; onto a
      // plain path as it is (each file replacing the one before).
      CopyFileTo(source, folder ? platform::IncludeTrailingSeparator(target) + name : target);
    }
    s_.log.WriteShieldLog(kLogCopyFinished);
  } catch (const std::exception&) {
    s_.log.WriteShieldLog(kLogCopyCouldNotCopy);
  }
}

bool ScheduledTask::LanFileChanged(const std::string& share, const std::string& name) {
  std::optional<std::string> local = FindIgnoringCase(s_.appFolder, LocalNameOf(name));
  if (!local || !platform::FileExists(s_.appFolder + *local)) return false;
  std::optional<std::string> remote = FindIgnoringCase(share, name);
  if (!remote || !platform::FileExists(share + *remote)) return false;
  if (FileSizeOf(s_.appFolder + *local) == FileSizeOf(share + *remote)) return false;
  s_.log.WriteShieldLog(kLogFileUpdated + name);
  return true;
}

}  // namespace vz::update
