// A second process for the registry tests. Uses the hive files in DIR.
//   vz-test-hivewriter DIR write KEY PREFIX COUNT   writes PREFIX0..PREFIXn-1 into HKLM\KEY
//   vz-test-hivewriter DIR forever KEY             writes n0, n1, ... until killed
//   vz-test-hivewriter DIR append KEY              the same, from n<number of values KEY has>
//   vz-test-hivewriter DIR set KEY NAME DATA       one string value
//   vz-test-hivewriter DIR probe KEY NAME DATA     as a user without rights on DIR (exit code says what failed)
//   vz-test-hivewriter DIR unreadable KEY NAME     as the owner of DIR/machine.reg, which it makes unreadable
//                                                  (mode 0200) while KEY is open; exit code says what failed
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Registry.h"

using namespace vz::platform;

namespace {

RegistryLocations Locations(const std::string& dir, bool seed) {
  RegistryLocations l;
  l.machineHive = dir + "/machine.reg";
  l.userHive = dir + "/user.reg";
  l.machineAutostart = dir + "/autostart-machine";
  l.userAutostart = dir + "/autostart-user";
  l.seedMachineFolders = seed;
  return l;
}

int Write(RegistryStore& store, const std::string& key, const std::string& prefix, long count, bool append = false) {
  RegistryKey k;
  if (!store.OpenKey(RegistryRoot::LocalMachine, key, RegAccess::ReadWrite, RegDisposition::CreateIfMissing, k)) return 2;
  std::vector<std::string> names;
  if (append && !k.ValueNames(names)) return 4;
  for (long i = static_cast<long>(names.size()); count < 0 || i < count; ++i) {
    RegStatus status = k.WriteString(prefix + std::to_string(i), "value " + std::to_string(i));
    if (!status) {
      std::fprintf(stderr, "write %ld: %s %s\n", i, status.Text().c_str(), status.detail.c_str());
      return 3;
    }
  }
  return 0;
}

// Drops root rights (when it has them), then checks that the hive opens
// read-only: exit 0 when everything behaves, else the number of the failed check.
int Probe(const std::string& dir, const std::string& key, const std::string& name, const std::string& data) {
  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
  auto store = OpenRegistryStore(Locations(dir, true));
  RegistryKey k;
  if (store->OpenKey(RegistryRoot::LocalMachine, key, RegAccess::ReadWrite, RegDisposition::OpenExisting, k).code !=
      kRegAccessDenied)
    return 1;
  if (!store->OpenKey(RegistryRoot::LocalMachine, key, RegAccess::Read, RegDisposition::OpenExisting, k)) return 2;
  std::string text;
  if (!k.ReadString(name, text) || text != data) return 3;
  if (store->CreateKey(RegistryRoot::LocalMachine, "Software\\New").code != kRegAccessDenied) return 4;
  // The folder values show even though this hive cannot be seeded.
  RegistryKey cv;
  if (!store->OpenKey(RegistryRoot::LocalMachine, "\\Software\\Microsoft\\Windows\\CurrentVersion", RegAccess::Read,
                      RegDisposition::OpenExisting, cv) ||
      !cv.ReadAsText("ProgramFilesDIR", text) || text != "/opt")
    return 5;
  // The machine's Run folder cannot be written either.
  RegistryKey run;
  if (store->OpenKey(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", RegAccess::ReadWrite,
                     RegDisposition::OpenExisting, run).code != kRegAccessDenied)
    return 6;
  return 0;
}

// The hive is replaced, same bytes, by a file its own writer cannot read
// (mode 0200) while a key is open for writing. Every read and write, through
// that key or a fresh store, must fail with "access denied".
int Unreadable(const std::string& dir, const std::string& key, const std::string& name) {
  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 10;
  const std::string hive = dir + "/machine.reg";
  auto store = OpenRegistryStore(Locations(dir, false));
  RegistryKey k;
  if (!store->OpenKey(RegistryRoot::LocalMachine, key, RegAccess::ReadWrite, RegDisposition::OpenExisting, k)) return 1;
  auto bytes = ReadWholeFile(hive);
  int fd = ::open((hive + ".new").c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0200);
  if (!bytes || fd < 0 || ::write(fd, bytes->data(), bytes->size()) != static_cast<ssize_t>(bytes->size()) ||
      ::close(fd) != 0 || ::rename((hive + ".new").c_str(), hive.c_str()) != 0)
    return 2;
  if (k.WriteString("third", "3").code != kRegAccessDenied) return 3;
  std::string text;
  if (k.ReadString(name, text).code != kRegAccessDenied) return 4;
  auto fresh = OpenRegistryStore(Locations(dir, false));
  RegistryKey other;
  if (fresh->OpenKey(RegistryRoot::LocalMachine, key, RegAccess::Read, RegDisposition::OpenExisting, other).code !=
      kRegAccessDenied)
    return 5;
  if (fresh->OpenKey(RegistryRoot::LocalMachine, "Software\\Other", RegAccess::ReadWrite,
                     RegDisposition::CreateIfMissing, other).code != kRegAccessDenied)
    return 6;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 64;
  std::string dir = argv[1], mode = argv[2], key = argv[3];
  if (mode == "probe" && argc == 6) return Probe(dir, key, argv[4], argv[5]);
  if (mode == "unreadable" && argc == 5) return Unreadable(dir, key, argv[4]);
  auto store = OpenRegistryStore(Locations(dir, false));
  if (mode == "write" && argc == 6) return Write(*store, key, argv[4], std::atol(argv[5]));
  if (mode == "forever") return Write(*store, key, "n", -1);
  if (mode == "append") return Write(*store, key, "n", -1, true);
  if (mode == "set" && argc == 6) {
    RegistryKey k;
    if (!store->OpenKey(RegistryRoot::LocalMachine, key, RegAccess::ReadWrite, RegDisposition::CreateIfMissing, k)) return 2;
    return k.WriteString(argv[4], argv[5]) ? 0 : 3;
  }
  return 64;
}
