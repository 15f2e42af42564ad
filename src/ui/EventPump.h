#pragma once
// Port: lets pending window messages run in the middle of long work
// (Qt: processEvents; a no-op where nothing is pending, as in unit tests).

namespace vz::ui {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessPendingEvents() = 0;
};

class NullEventPump final : public EventPump {
 public:
  void ProcessPendingEvents() override {}
};

}  // namespace vz::ui
