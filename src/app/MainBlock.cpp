#include "app/MainBlock.h"

#include "app/Shield.h"

namespace vz::app {

namespace {

// True when another instance runs and has been asked to come to the front.
bool AnotherInstanceActivated(platform::InstanceRegion& region, const std::string& name) {
  std::uint32_t handle = region.ReadPublishedHandle(name);
  if (handle == 0 || !region.NamesRunningInstance(handle)) return false;
  handle = region.ReadPublishedHandle(name);
  if (handle == 0 || !region.NamesRunningInstance(handle)) return false;
  return region.RequestActivation(name, handle);
}

}  // namespace

int RunMainBlock(const CommandLine& commandLine, FrontEnd& frontEnd, const ShieldServices& services,
                 platform::InstanceRegion& region) {
  const std::string instanceName = platform::InstanceNameFor(kInstanceName);
  std::unique_ptr<platform::ActivationListener> listener;

  // A restart skips the guard: the old instance may still be alive.
  if (!commandLine.restart) {
    if (AnotherInstanceActivated(region, instanceName)) {
      frontEnd.Ports().dialogs->Inform(kApplicationTitle, kAlreadyRunningText);
      return 0;
    }
    // Listening first, so that a start that reads the published value can reach us.
    listener = platform::ListenForActivation(instanceName);
    region.PublishHandle(instanceName, region.OwnHandle());
  }

  Shield shield(frontEnd.Ports(), services, commandLine, [&frontEnd] { frontEnd.Terminate(); });
  shield.CreateWindows();
  frontEnd.AttachShield(shield);
  if (listener) frontEnd.WatchActivation(*listener, [&shield] { shield.ShowVazeru(); });
  shield.Start();

  int code = frontEnd.RunMessageLoop();

  // A failure to write the log is not reported.
  shield.SaveLog();
  return code;
}

}  // namespace vz::app
