#pragma once
// The in-memory form of one registry root: keys by path, each with its values
// in stored order. Shared by the hive-file store and the in-memory store.
// Every value change stamps its key with the hive's next write serial, so a
// rewrite with the same data is still a change to anyone watching the key.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"

namespace vz::platform {

struct HiveValue {
  std::string name;  // as first written
  RegValue value;
};

struct HiveKey {
  std::string path;  // normalised, in the case first written; "" = the root
  std::vector<HiveValue> values;
  std::unordered_map<std::string, std::size_t> index;  // upper-case name -> position
  std::uint64_t lastWrite = 0;  // serial of the last value change

  const HiveValue* Find(std::string_view name) const;
};

// The state of a subtree as a watcher compares it: per key (upper-case path)
// its last-write serial and a digest of its values.
struct HiveKeyState {
  std::uint64_t lastWrite = 0;
  std::uint64_t digest = 0;
  std::size_t valueCount = 0;
  bool operator==(const HiveKeyState&) const = default;
};
using HiveSnapshot = std::map<std::string, HiveKeyState>;

class Hive {
 public:
  Hive();
  HiveKey* FindKey(const std::string& path);
  const HiveKey* FindKey(const std::string& path) const;
  // Creates the key and its missing ancestors.
  HiveKey& CreateKey(const std::string& path);
  // Removes the key with its subtree; false when missing or the root.
  bool DeleteKey(const std::string& path);
  // Sets or replaces a value (a replaced value keeps its name and position).
  void SetValue(HiveKey& key, std::string_view name, const RegValue& value);
  // The same without stamping the key: loading is not a write.
  void PutValue(HiveKey& key, std::string_view name, const RegValue& value);
  bool DeleteValue(HiveKey& key, std::string_view name);
  // Names of the immediate subkeys, in upper-case path order.
  std::vector<std::string> SubKeyNames(const std::string& path) const;
  HiveSnapshot Snapshot(const std::string& path) const;

  // Keys in upper-case path order; the root "" is always there.
  const std::map<std::string, HiveKey>& Keys() const { return keys_; }
  std::uint64_t Serial() const { return serial_; }
  void RaiseSerial(std::uint64_t serial) {
    if (serial > serial_) serial_ = serial;
  }
  void SetLastWrite(HiveKey& key, std::uint64_t serial) {
    key.lastWrite = serial;
    RaiseSerial(serial);
  }
  std::size_t ValueCount() const;

 private:
  std::map<std::string, HiveKey> keys_;
  std::uint64_t serial_ = 0;
};

// Whether a watcher with `filter` sees a change between the two states.
bool SnapshotChanged(const HiveSnapshot& before, const HiveSnapshot& after, std::uint32_t filter);

}  // namespace vz::platform
