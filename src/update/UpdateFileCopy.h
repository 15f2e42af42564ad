#pragma once
// The file helpers of the scheduled update: the copy of one data file, the
// test whether a share holds a changed copy, and names looked up without
// regard to case (a share may hold "MOSTCPROC.TXT" for the local "MostCProc.txt").
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vz::update {

inline constexpr const char* kCannotOpenFile = "Cannot open file";
inline constexpr const char* kCannotCreateFile = "Cannot Create file";

class CopyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The size of the file at path, -1 when there is none.
std::int64_t FileSizeOf(const std::string& path);

// The entry of folder (with its separator) named name without regard to
// case: the exact name when it is there, else the first match in name order;
// nullopt when none is.
std::optional<std::string> FindIgnoringCase(const std::string& folder, const std::string& name);

// Copies source to destination, or into it when it names an existing folder
// (under the source's file name), in blocks of 8192 bytes. The target is
// replaced only once the whole copy is written, so a failure leaves it as it
// was. Throws CopyError "Cannot open file" when the source cannot be read and
// "Cannot Create file" when the target cannot be written.
void CopyFileTo(const std::string& source, const std::string& destination);

}  // namespace vz::update
