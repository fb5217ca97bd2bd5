// The timeline a handler's sleeps keep to on the real clock.
//
// Each sleep ends a fixed time after the end of the one before it, not after the moment it
// is called: the time the handler spent repainting in between is taken off the next sleep,
// so an effect lasts what its sleeps add up to, however long the repaints take. Time lost to
// work longer than the sleep that follows is not caught up later. The timeline starts afresh
// whenever the handler lets other messages in, waits for the user, or returns.
#pragma once

#include <chrono>
#include <optional>

class SleepTimeline {
 public:
  using Clock = std::chrono::steady_clock;

  // When a sleep of `duration` called at `now` is to end; the next sleep counts from there.
  Clock::time_point Deadline(Clock::time_point now, Clock::duration duration) {
    Clock::time_point deadline = (last_end_ ? *last_end_ : now) + duration;
    if (deadline < now) deadline = now;
    last_end_ = deadline;
    return deadline;
  }

  void Restart() { last_end_.reset(); }

 private:
  std::optional<Clock::time_point> last_end_;
};
