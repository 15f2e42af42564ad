#include "ui/qt/QtPorts.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>

namespace vz::ui::qt {

void QtEventPump::ProcessPendingEvents() { QCoreApplication::processEvents(); }

// One call's state, shared by the waiting thread and the UI thread, so that
// neither touches the other's stack once it has gone.
struct QtDispatcher::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  bool shutDown = false;
};

namespace {
struct Call {
  enum class State { Pending, Running, Done, Abandoned };
  State state = State::Pending;
  std::function<void()> function;
};
}  // namespace

QtDispatcher::QtDispatcher() : shared_(std::make_shared<Shared>()), receiver_(std::make_unique<QObject>()) {}

QtDispatcher::~QtDispatcher() { Shutdown(); }

void QtDispatcher::Shutdown() {
  std::lock_guard lock(shared_->mutex);
  shared_->shutDown = true;
  shared_->changed.notify_all();
}

bool QtDispatcher::RunAndWait(const std::function<void()>& function) {
  if (QThread::currentThread() == receiver_->thread()) {
    {
      std::lock_guard lock(shared_->mutex);
      if (shared_->shutDown) return false;
    }
    function();
    return true;
  }
  auto call = std::make_shared<Call>();
  call->function = function;
  std::shared_ptr<Shared> shared = shared_;
  {
    std::lock_guard lock(shared->mutex);
    if (shared->shutDown) return false;
  }
  QMetaObject::invokeMethod(
      receiver_.get(),
      [shared, call] {
        {
          std::lock_guard lock(shared->mutex);
          if (call->state != Call::State::Pending || shared->shutDown) return;
          call->state = Call::State::Running;
        }
        call->function();
        std::lock_guard lock(shared->mutex);
        call->state = Call::State::Done;
        shared->changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(shared->mutex);
  shared->changed.wait(lock, [&] {
    return call->state == Call::State::Done || (shared->shutDown && call->state == Call::State::Pending);
  });
  if (call->state == Call::State::Done) return true;
  call->state = Call::State::Abandoned;
  return false;
}

bool QtDispatcher::Post(std::function<void()> function) {
  std::shared_ptr<Shared> shared = shared_;
  {
    std::lock_guard lock(shared->mutex);
    if (shared->shutDown) return false;
  }
  QMetaObject::invokeMethod(
      receiver_.get(),
      [shared, function = std::move(function)] {
        {
          std::lock_guard lock(shared->mutex);
          if (shared->shutDown) return;
        }
        function();
      },
      Qt::QueuedConnection);
  return true;
}

QtTimer::QtTimer(int intervalMs, std::function<void()> onTimeout) : onTimeout_(std::move(onTimeout)) {
  timer_.setInterval(intervalMs);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (inHandler_) return;
    inHandler_ = true;
    onTimeout_();
    inHandler_ = false;
  });
}

std::unique_ptr<Timer> QtTimerFactory::CreateTimer(int intervalMs, std::function<void()> onTimeout) {
  return std::make_unique<QtTimer>(intervalMs, std::move(onTimeout));
}

}  // namespace vz::ui::qt
