#include "platform/Processes.h"

namespace vz::platform {

const char* PriorityClassName(PriorityClass priority) {
  switch (priority) {
    case PriorityClass::RealTime: return "Real Time";
    case PriorityClass::High: return "High";
    case PriorityClass::AboveNormal: return "Above Normal";
    case PriorityClass::Normal: return "Normal";
    case PriorityClass::BelowNormal: return "Below Normal";
    case PriorityClass::Idle: return "Low";
    case PriorityClass::Unknown: return "Low";
  }
  return "Low";
}

const char* BasePriorityName(int basePriority) {
  if (basePriority > 64) return "High";
  if (basePriority >= 8) return "Normal";
  return "Low";
}

}  // namespace vz::platform
