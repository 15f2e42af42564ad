#pragma once
// Contract: the registry. Two roots, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER,
// each a tree of keys holding typed values. Key paths and value names compare
// without regard to case and keep the case they were first written with; a key
// path may start with a backslash or not ("\Software\X" and "SOFTWARE\X" are
// the same key). Failures are return codes with the system's message text.
//
// A RegistryStore is safe to use from several threads; RegistryKey handles and
// notifications refer to their store, which must outlive them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryNotify.h"

namespace vz::platform {

enum class RegistryRoot : std::uint32_t {
  CurrentUser = 0x80000001u,   // HKEY_CURRENT_USER
  LocalMachine = 0x80000002u,  // HKEY_LOCAL_MACHINE
};

// "HKEY_LOCAL_MACHINE" / "HKEY_CURRENT_USER".
const char* RegistryRootName(RegistryRoot root);

// Value types, numbered as the registry numbers them; other numbers may occur
// in stored data and are kept as they are.
enum class RegType : std::uint32_t {
  None = 0,
  String = 1,
  ExpandString = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiString = 7,
  Qword = 11,
};

// A typed value. `data` holds the raw bytes, except that the two string types
// hold their text without the terminating NUL.
struct RegValue {
  RegType type = RegType::None;
  std::string data;

  static RegValue String(std::string text);
  static RegValue ExpandString(std::string text);
  static RegValue Dword(std::uint32_t number);
  static RegValue Qword(std::uint64_t number);
  static RegValue Binary(std::string bytes);
  static RegValue MultiString(const std::vector<std::string>& texts);

  bool IsString() const { return type == RegType::String || type == RegType::ExpandString; }
  // Size in bytes as the registry reports it (strings count their NUL).
  std::size_t DataSize() const;
  // The number of a 4-byte REG_DWORD (false for anything else).
  bool AsDword(std::uint32_t& number) const;
  std::vector<std::string> AsMultiString() const;
  bool operator==(const RegValue& other) const = default;
};

// Error numbers used here (the system's own numbers).
inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;        // key or value missing
inline constexpr long kRegAccessDenied = 5;
inline constexpr long kRegInvalidHandle = 6;       // key not open
inline constexpr long kRegBadNetPath = 53;         // unknown computer
inline constexpr long kRegInvalidParameter = 87;
inline constexpr long kRegCantRead = 1012;         // value missing or of an unexpected type
inline constexpr long kRegCantWrite = 1013;        // the store could not be written

struct RegStatus {
  long code = kRegSuccess;
  std::string detail;  // what failed underneath (file and errno text), for logs

  RegStatus() = default;
  RegStatus(long c, std::string d = {}) : code(c), detail(std::move(d)) {}  // NOLINT: implicit from a code
  bool ok() const { return code == kRegSuccess; }
  explicit operator bool() const { return ok(); }
  // The system's message text for the code, e.g. "Access is denied.".
  std::string Text() const;
};
std::string RegErrorText(long code);

enum class RegAccess { Read, ReadWrite };
enum class RegDisposition { OpenExisting, CreateIfMissing };

class RegistryStore;

// An open key. Default-constructed or closed handles fail with kRegInvalidHandle.
class RegistryKey {
 public:
  RegistryKey() = default;
  bool IsOpen() const { return store_ != nullptr; }
  RegistryRoot Root() const { return root_; }
  // The key's path relative to its root, without leading backslash.
  const std::string& Path() const { return path_; }
  RegAccess Access() const { return access_; }
  void Close();

  // Opens a key below this one (relative path; "" is this key again).
  RegStatus OpenSubKey(std::string_view relativePath, RegAccess access, RegDisposition disposition,
                       RegistryKey& subKey) const;

  RegStatus ReadValue(std::string_view name, RegValue& value) const;
  // REG_SZ or REG_EXPAND_SZ as text; kRegFileNotFound when missing, kRegCantRead for other types.
  RegStatus ReadString(std::string_view name, std::string& text) const;
  // Text of a string or expandable string, the decimal number of a REG_DWORD,
  // the bytes of REG_BINARY; a missing value or any other type gives kRegCantRead.
  RegStatus ReadAsText(std::string_view name, std::string& text) const;
  bool HasValue(std::string_view name) const;

  // Writes need a key opened with RegAccess::ReadWrite (else kRegAccessDenied).
  RegStatus WriteValue(std::string_view name, const RegValue& value);
  RegStatus WriteString(std::string_view name, const std::string& text);
  RegStatus DeleteValue(std::string_view name);

  // Value names in their stored order (the Run keys: sorted by name).
  RegStatus ValueNames(std::vector<std::string>& names) const;
  RegStatus SubKeyNames(std::vector<std::string>& names) const;

 private:
  friend class RegistryStore;
  RegistryStore* store_ = nullptr;
  RegistryRoot root_ = RegistryRoot::LocalMachine;
  std::string path_;
  RegAccess access_ = RegAccess::Read;
};

// The registry of this machine, or its in-memory stand-in. The public calls
// normalise paths and check access; implementations fill the Do* primitives,
// which receive normalised paths (see NormalizeKeyPath).
class RegistryStore {
 public:
  virtual ~RegistryStore() = default;

  RegStatus OpenKey(RegistryRoot root, std::string_view path, RegAccess access, RegDisposition disposition,
                    RegistryKey& key);
  bool KeyExists(RegistryRoot root, std::string_view path);
  RegStatus CreateKey(RegistryRoot root, std::string_view path);
  // Deletes the key with all its subkeys and values.
  RegStatus DeleteKey(RegistryRoot root, std::string_view path);
  // "Connects" to the registry of a computer: an empty name (or this machine's
  // host name) means this machine and gives a key on the root; any other name
  // fails with kRegBadNetPath.
  RegStatus ConnectRegistry(std::string_view computerName, RegistryRoot root, RegistryKey& rootKey);

  // A notification on changes under the open key and its subtree, of the kinds
  // in `filter` (0 means all four). Created unarmed: call Arm().
  std::unique_ptr<RegistryNotification> NotifyChanges(const RegistryKey& key, std::uint32_t filter,
                                                      RegStatus& status);

  // Primitives. Paths are normalised; access has been checked.
  // Whether what holds the key can be read at all: a hive that exists but
  // cannot be read reports its error here (and to every read), instead of
  // looking empty.
  virtual RegStatus DoReadableStatus(RegistryRoot, const std::string&) { return {}; }
  virtual bool DoKeyExists(RegistryRoot root, const std::string& path) = 0;
  virtual RegStatus DoCreateKey(RegistryRoot root, const std::string& path) = 0;
  virtual RegStatus DoDeleteKey(RegistryRoot root, const std::string& path) = 0;
  // Whether this process may write under the key (a read-only hive says no).
  virtual bool DoCanWrite(RegistryRoot root, const std::string& path) = 0;
  virtual RegStatus DoReadValue(RegistryRoot root, const std::string& path, std::string_view name,
                                RegValue& value) = 0;
  virtual RegStatus DoWriteValue(RegistryRoot root, const std::string& path, std::string_view name,
                                 const RegValue& value) = 0;
  virtual RegStatus DoDeleteValue(RegistryRoot root, const std::string& path, std::string_view name) = 0;
  virtual RegStatus DoValueNames(RegistryRoot root, const std::string& path, std::vector<std::string>& names) = 0;
  virtual RegStatus DoSubKeyNames(RegistryRoot root, const std::string& path, std::vector<std::string>& names) = 0;
  virtual std::unique_ptr<RegistryNotification> DoNotify(RegistryRoot root, const std::string& path,
                                                         std::uint32_t filter, RegStatus& status) = 0;
};

// "\Software\\X\" -> "Software\X": no leading, trailing or doubled separators.
// false when the path holds characters a key name cannot (NUL, CR, LF).
bool NormalizeKeyPath(std::string_view path, std::string& normalized);
// ASCII upper case: the comparison form of key paths and value names.
std::string RegUpper(std::string_view text);
// The Run key that lists the programs started at log-in, in comparison form.
inline constexpr std::string_view kRunKeyUpper = "SOFTWARE\\MICROSOFT\\WINDOWS\\CURRENTVERSION\\RUN";
// The data of a Run value that starts the program at programPath: the path as
// one argument, quoted as this platform's startup entries need it (a folder
// with a blank in its name stays one path).
std::string StartupCommandFor(const std::string& programPath);

// Where the hive files and the Run folders of this machine live.
struct RegistryLocations {
  std::string machineHive;       // HKEY_LOCAL_MACHINE hive file
  std::string userHive;          // HKEY_CURRENT_USER hive file
  std::string machineAutostart;  // HKLM Run key folder
  std::string userAutostart;     // HKCU Run key folder
  // Gives the machine hive the folder values of this platform (SystemRoot,
  // ProgramFilesDir, CommonFilesDir) where they are missing.
  bool seedMachineFolders = true;
};
// From the environment: VAZERU_REGISTRY_DIR (both hives in one folder),
// XDG_CONFIG_HOME (the user hive and Run folder; ignored unless absolute),
// VAZERU_AUTOSTART_MACHINE_DIR.
RegistryLocations DefaultRegistryLocations();
// Makes VAZERU_REGISTRY_DIR and VAZERU_AUTOSTART_MACHINE_DIR absolute against
// the working folder, in the environment itself: they then name the same
// folders for the whole run and in a restarted shield, which starts in "/".
// Called once at start, before any thread runs.
void MakeLocationOverridesAbsolute();

// The hive-file registry of this machine.
std::unique_ptr<RegistryStore> OpenRegistryStore(const RegistryLocations& locations);
std::unique_ptr<RegistryStore> OpenSystemRegistry();

}  // namespace vz::platform
