#include "platform/RegistryHive.h"

namespace vz::platform {

namespace {

std::uint64_t Fnv(std::uint64_t hash, std::string_view bytes) {
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

std::uint64_t Digest(const HiveKey& key) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const auto& v : key.values) {
    hash = Fnv(hash, v.name);
    std::string type = std::to_string(static_cast<std::uint32_t>(v.value.type));
    hash = Fnv(hash, std::string_view("\0", 1));
    hash = Fnv(hash, type);
    hash = Fnv(hash, std::string_view("\0", 1));
    hash = Fnv(hash, v.value.data);
    hash = Fnv(hash, std::to_string(v.value.data.size()));
  }
  return hash;
}

std::string ParentOf(const std::string& path) {
  auto pos = path.rfind('\\');
  return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

// Iterates the subtree of `upper` (the key itself and every key below it).
template <typename Map, typename F>
void ForSubtree(Map& keys, const std::string& upper, F f) {
  if (upper.empty()) {
    for (auto& entry : keys) f(entry);
    return;
  }
  auto it = keys.find(upper);
  if (it != keys.end()) f(*it);
  std::string prefix = upper + "\\";
  for (it = keys.lower_bound(prefix); it != keys.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it)
    f(*it);
}

}  // namespace

const HiveValue* HiveKey::Find(std::string_view name) const {
  auto it = index.find(RegUpper(name));
  return it == index.end() ? nullptr : &values[it->second];
}

Hive::Hive() { keys_[""].path = ""; }

HiveKey* Hive::FindKey(const std::string& path) {
  auto it = keys_.find(RegUpper(path));
  return it == keys_.end() ? nullptr : &it->second;
}

const HiveKey* Hive::FindKey(const std::string& path) const {
  auto it = keys_.find(RegUpper(path));
  return it == keys_.end() ? nullptr : &it->second;
}

HiveKey& Hive::CreateKey(const std::string& path) {
  std::string upper = RegUpper(path);
  auto it = keys_.find(upper);
  if (it != keys_.end()) return it->second;
  if (!path.empty()) CreateKey(ParentOf(path));
  HiveKey& key = keys_[upper];
  key.path = path;
  return key;
}

bool Hive::DeleteKey(const std::string& path) {
  std::string upper = RegUpper(path);
  if (upper.empty() || keys_.find(upper) == keys_.end()) return false;
  std::vector<std::string> doomed;
  ForSubtree(keys_, upper, [&](auto& entry) { doomed.push_back(entry.first); });
  for (const auto& k : doomed) keys_.erase(k);
  return true;
}

void Hive::SetValue(HiveKey& key, std::string_view name, const RegValue& value) {
  PutValue(key, name, value);
  key.lastWrite = ++serial_;
}

void Hive::PutValue(HiveKey& key, std::string_view name, const RegValue& value) {
  std::string upper = RegUpper(name);
  auto it = key.index.find(upper);
  if (it != key.index.end()) {
    key.values[it->second].value = value;
  } else {
    key.index.emplace(std::move(upper), key.values.size());
    key.values.push_back(HiveValue{std::string(name), value});
  }
}

bool Hive::DeleteValue(HiveKey& key, std::string_view name) {
  auto it = key.index.find(RegUpper(name));
  if (it == key.index.end()) return false;
  std::size_t position = it->second;
  key.values.erase(key.values.begin() + static_cast<std::ptrdiff_t>(position));
  key.index.erase(it);
  for (auto& entry : key.index)
    if (entry.second > position) --entry.second;
  key.lastWrite = ++serial_;
  return true;
}

std::vector<std::string> Hive::SubKeyNames(const std::string& path) const {
  std::vector<std::string> names;
  std::string upper = RegUpper(path);
  std::size_t depth = upper.empty() ? 0 : upper.size() + 1;
  ForSubtree(keys_, upper, [&](const auto& entry) {
    if (entry.first.size() <= depth && !upper.empty()) return;
    if (entry.first.empty()) return;
    if (entry.first.find('\\', depth) == std::string::npos) names.push_back(entry.second.path.substr(depth));
  });
  return names;
}

HiveSnapshot Hive::Snapshot(const std::string& path) const {
  HiveSnapshot snapshot;
  ForSubtree(keys_, RegUpper(path), [&](const auto& entry) {
    snapshot.emplace(entry.first, HiveKeyState{entry.second.lastWrite, Digest(entry.second), entry.second.values.size()});
  });
  return snapshot;
}

std::size_t Hive::ValueCount() const {
  std::size_t count = 0;
  for (const auto& entry : keys_) count += entry.second.values.size();
  return count;
}

bool SnapshotChanged(const HiveSnapshot& before, const HiveSnapshot& after, std::uint32_t filter) {
  if (filter == 0) filter = kRegNotifyDefaultFilter;
  bool names = (filter & kNotifyChangeName) != 0;
  bool values = (filter & kNotifyChangeLastSet) != 0;
  if (names) {
    if (before.size() != after.size()) return true;
    for (auto a = before.begin(), b = after.begin(); a != before.end(); ++a, ++b)
      if (a->first != b->first) return true;
  }
  if (values) {
    for (const auto& [path, state] : after) {
      auto old = before.find(path);
      if (old == before.end()) {
        // A new key counts as a value change once it holds values.
        if (state.valueCount != 0) return true;
      } else if (!(old->second == state)) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace vz::platform
