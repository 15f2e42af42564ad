// Parses arbitrary bytes as a stat line and checks what the callers rely on:
// the comm lies inside the input, and both readers agree on it.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/ProcfsStat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vz::platform::procfs;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string_view comm = StatComm(bytes);
  if (!comm.empty() && (comm.data() < bytes.data() || comm.data() + comm.size() > bytes.data() + bytes.size()))
    std::abort();
  if (auto fields = ParseStat(bytes)) {
    if (fields->comm != comm) std::abort();
    auto priority = ClassFromSchedule(fields->policy, fields->nice);
    if (BasePriorityOfClass(priority) < 4 || BasePriorityOfClass(priority) > 24) std::abort();
  }
  std::string_view stripped = StripDeletedSuffix(bytes);
  if (stripped.size() > bytes.size()) std::abort();
  return 0;
}
