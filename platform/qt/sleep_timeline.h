// The timeline a handler's sleeps keep to on the real clock.
//
// Each sleep ends a fixed time after the end of the one before it, not after the moment it
// is called, and the first one a fixed time after the handler began: the time the handler
// spent repainting in between is taken off the next sleep, so an effect lasts what its sleeps
// add up to, however long the repaints take. Time lost to work longer than the sleep that
// follows is not caught up later. The timeline starts afresh when a handler begins, and again
// after it has let other messages in or waited for the user.
#pragma once

#include <chrono>
#include <optional>

class SleepTimeline {
 public:
  using Clock = std::chrono::steady_clock;

  // When a sleep of `duration` called at `now` is to end; the next sleep counts from there.
  // Before the timeline has been started, a sleep counts from its call.
  Clock::time_point Deadline(Clock::time_point now, Clock::duration duration) {
    Clock::time_point deadline = (last_end_ ? *last_end_ : now) + duration;
    if (deadline < now) deadline = now;
    last_end_ = deadline;
    return deadline;
  }

  // The timeline starts at `origin`: the next sleep counts from there.
  void Restart(Clock::time_point origin) { last_end_ = origin; }

 private:
  std::optional<Clock::time_point> last_end_;
};
