#include "RegCommands.h"

#include <vector>

#include "platform/HiveText.h"

namespace vz::reg {

namespace {

using platform::RegAccess;
using platform::RegDisposition;
using platform::RegistryKey;
using platform::RegStatus;

// One line saying what failed and why, the cause underneath included.
int Fail(Streams io, const KeyName& key, const RegStatus& status, const std::string* name = nullptr) {
  io.err << "vazeru-reg: ";
  if (status.code == platform::kRegFileNotFound && name) {
    io.err << "value \"" << *name << "\" not found in " << FullKeyName(key);
  } else if (status.code == platform::kRegFileNotFound) {
    io.err << "key not found: " << FullKeyName(key);
  } else if (status.code == platform::kRegAccessDenied) {
    io.err << FullKeyName(key) << ": no rights to change it (" << status.Text() << ")";
  } else {
    io.err << FullKeyName(key) << ": " << status.Text();
  }
  if (!status.detail.empty()) io.err << " [" << status.detail << "]";
  io.err << "\n";
  return 1;
}

// The data part of a value line ("dword:0000000a", "hex:01,02").
std::string DataText(const platform::RegValue& value) {
  std::string line = platform::FormatHiveValue("", value);  // @=...\n
  line.erase(0, 2);
  while (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

std::string JoinPath(const std::string& base, const std::string& name) {
  return base.empty() ? name : base + "\\" + name;
}

// Writes the key and its subtree; a key that vanished meanwhile is skipped.
RegStatus ExportKey(platform::RegistryStore& store, const KeyName& key, std::string& out) {
  RegistryKey open;
  RegStatus status = store.OpenKey(key.root, key.path, RegAccess::Read, RegDisposition::OpenExisting, open);
  if (!status) return status;
  std::vector<std::string> names;
  if (status = open.ValueNames(names); !status) return status;
  out.append("\n[").append(FullKeyName(key)).append("]\n");
  for (const std::string& name : names) {
    platform::RegValue value;
    if (open.ReadValue(name, value)) out.append(platform::FormatHiveValue(name, value));
  }
  std::vector<std::string> subKeys;
  if (status = open.SubKeyNames(subKeys); !status) return status;
  for (const std::string& sub : subKeys) {
    RegStatus below = ExportKey(store, KeyName{key.root, JoinPath(key.path, sub)}, out);
    if (!below && below.code != platform::kRegFileNotFound) return below;
  }
  return {};
}

}  // namespace

int Query(platform::RegistryStore& store, const KeyName& key, const std::string* name, Streams io) {
  RegistryKey open;
  RegStatus status = store.OpenKey(key.root, key.path, RegAccess::Read, RegDisposition::OpenExisting, open);
  if (!status) return Fail(io, key, status);
  if (name) {
    platform::RegValue value;
    if (status = open.ReadValue(*name, value); !status) return Fail(io, key, status, name);
    io.out << (value.IsString() ? value.data : DataText(value)) << "\n";
    return 0;
  }
  std::vector<std::string> names;
  if (status = open.ValueNames(names); !status) return Fail(io, key, status);
  for (const std::string& each : names) {
    platform::RegValue value;
    if (open.ReadValue(each, value)) io.out << platform::FormatHiveValue(each, value);
  }
  return 0;
}

int Set(platform::RegistryStore& store, const KeyName& key, const std::string& name, const std::string& data,
        Streams io) {
  RegistryKey open;
  RegStatus status = store.OpenKey(key.root, key.path, RegAccess::ReadWrite, RegDisposition::CreateIfMissing, open);
  if (!status) return Fail(io, key, status);
  if (status = open.WriteString(name, data); !status) return Fail(io, key, status);
  return 0;
}

int Delete(platform::RegistryStore& store, const KeyName& key, const std::string* name, Streams io) {
  if (!name) {
    if (key.path.empty()) {
      io.err << "vazeru-reg: " << FullKeyName(key) << ": a root cannot be deleted\n";
      return 1;
    }
    RegStatus status = store.DeleteKey(key.root, key.path);
    return status ? 0 : Fail(io, key, status);
  }
  RegistryKey open;
  RegStatus status = store.OpenKey(key.root, key.path, RegAccess::ReadWrite, RegDisposition::OpenExisting, open);
  if (!status) return Fail(io, key, status);
  if (status = open.DeleteValue(*name); !status) return Fail(io, key, status, name);
  return 0;
}

int Export(platform::RegistryStore& store, const KeyName* key, Streams io) {
  std::string out = "REGEDIT4\n";
  std::vector<KeyName> keys;
  if (key) {
    keys.push_back(*key);
  } else {
    keys.push_back({platform::RegistryRoot::LocalMachine, ""});
    keys.push_back({platform::RegistryRoot::CurrentUser, ""});
  }
  for (const KeyName& each : keys)
    if (RegStatus status = ExportKey(store, each, out); !status) return Fail(io, each, status);
  io.out << out;
  return 0;
}

}  // namespace vz::reg
