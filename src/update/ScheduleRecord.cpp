#include "update/ScheduleRecord.h"

namespace vz::update {

namespace {

[[noreturn]] void Fail(std::string_view name, const std::string& what) {
  throw EScheduleRecord(std::string(name) + ": " + what);
}

std::string StatusText(const platform::RegStatus& status) {
  return status.detail.empty() ? status.Text() : status.Text() + " (" + status.detail + ")";
}

}  // namespace

bool ScheduleRecord::KeyExists() const {
  return registry_.KeyExists(platform::RegistryRoot::LocalMachine, kScheduleKeyPath);
}

platform::RegStatus ScheduleRecord::CreateIfMissing() {
  if (KeyExists()) return {};
  platform::RegistryKey key;
  platform::RegStatus status = registry_.OpenKey(platform::RegistryRoot::LocalMachine, kScheduleKeyPath,
                                                 platform::RegAccess::ReadWrite,
                                                 platform::RegDisposition::CreateIfMissing, key);
  if (!status) return status;
  return key.WriteString(kScheDeac, "1");
}

platform::RegStatus ScheduleRecord::Open(platform::RegAccess access, platform::RegDisposition disposition) {
  key_.Close();
  return registry_.OpenKey(platform::RegistryRoot::LocalMachine, kScheduleKeyPath, access, disposition, key_);
}

std::string ScheduleRecord::ReadText(std::string_view name) const {
  std::string text;
  platform::RegStatus status = key_.ReadString(name, text);
  if (status.code == platform::kRegFileNotFound) return std::string();
  if (!status) Fail(name, StatusText(status));
  return text;
}

std::string ScheduleRecord::ReadTrimmed(std::string_view name) const {
  return std::string(TrimRecordText(ReadText(name)));
}

bool ScheduleRecord::ReadBoolean(std::string_view name) const {
  std::string text = ReadText(name);
  std::optional<bool> value = ParseRecordBoolean(text);
  if (!value) Fail(name, "\"" + text + "\" is not a boolean");
  return *value;
}

long ScheduleRecord::ReadNumber(std::string_view name) const {
  std::string text = ReadText(name);
  std::optional<long> value = ParseRecordNumber(text);
  if (!value) Fail(name, "\"" + text + "\" is not a number");
  return *value;
}

std::string ScheduleRecord::UpdateServer() const {
  std::string server = ReadTrimmed(kUpdateServer);
  return server.empty() ? std::string(kDefaultUpdateServer) : server;
}

void ScheduleRecord::WriteText(std::string_view name, std::string_view text) {
  platform::RegStatus status = key_.WriteString(name, std::string(text));
  if (!status) Fail(name, "cannot be written: " + StatusText(status));
}

}  // namespace vz::update
