#pragma once
// The live options. They are not stored: every start begins with the five
// classic ones on and blocking as the command line asks.

namespace vz::app {

struct LiveOptions {
  bool liveScanProcesses = true;      // "Live Scan Process's"
  bool liveScanStartups = true;       // "Live Scan Startups"
  bool liveBrowserProtection = true;  // "Live IE proctection"
  bool showCpuWatch = true;           // "Show CPU watch"
  bool showProcessStatistics = true;  // "Show process statistic"
  // Not one of the five: off unless asked for ("Block known spyware", --block).
  bool blockKnownSpyware = false;
};

}  // namespace vz::app
