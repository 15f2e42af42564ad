#include "protection/ProcessStartInbox.h"

#include <algorithm>

namespace vz::protection {

bool ProcessStartInbox::WakeNeeded() {
  if (awake_) return false;
  awake_ = true;
  return true;
}

bool ProcessStartInbox::Push(platform::ProcessStart start) {
  std::lock_guard lock(mutex_);
  if (pending_.size() >= capacity_)
    lost_ = true;
  else
    pending_.push_back(std::move(start));
  return WakeNeeded();
}

bool ProcessStartInbox::NoteLost() {
  std::lock_guard lock(mutex_);
  lost_ = true;
  return WakeNeeded();
}

ProcessStartInbox::Batch ProcessStartInbox::Take(size_t most) {
  Batch batch;
  std::lock_guard lock(mutex_);
  size_t count = std::min(most, pending_.size());
  batch.starts.assign(std::make_move_iterator(pending_.begin()),
                      std::make_move_iterator(pending_.begin() + static_cast<std::ptrdiff_t>(count)));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(count));
  batch.lost = lost_;
  lost_ = false;
  batch.moreLeft = !pending_.empty();
  // Idle again only when nothing is left: the next push wakes the UI thread.
  if (!batch.moreLeft) awake_ = false;
  return batch;
}

}  // namespace vz::protection
