#pragma once
// The program's entry: the single-instance guard, the windows, the message
// loop, and the log saved at the end.
#include <string>

#include "app/CommandLine.h"
#include "app/FrontEnd.h"
#include "app/Shield.h"
#include "platform/SingleInstance.h"

namespace vz::app {

inline constexpr const char* kInstanceName = "Orvane Vazeru";
inline constexpr const char* kAlreadyRunningText = "Orvane Vazeru is already running.";

// Runs one shield from start to end; returns the process's exit code.
int RunMainBlock(const CommandLine& commandLine, FrontEnd& frontEnd, const ShieldServices& services,
                 platform::InstanceRegion& region);

}  // namespace vz::app
