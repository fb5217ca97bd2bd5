// Sees the frames of windows as the X server reports them, on a connection of its own: each
// paint (a DAMAGE report) and each move (a ConfigureNotify), timed on arrival with the
// monotonic clock. A thread reads the events; it blocks between them, so the probe costs
// nothing while nothing happens.
#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace xprobe {

using Clock = std::chrono::steady_clock;

struct Frame {
  enum class Kind { kPaint, kMove };
  Clock::time_point at;
  Kind kind;
};

class FrameProbe {
 public:
  FrameProbe() = default;
  ~FrameProbe();
  FrameProbe(const FrameProbe&) = delete;
  FrameProbe& operator=(const FrameProbe&) = delete;

  // Connects to the display of $DISPLAY. False when there is none or it lacks DAMAGE.
  bool Connect();
  // Reports the paints and moves of `window` (and of the frame a window manager put around
  // it) from now on.
  void Watch(std::uint32_t window);
  // Reports the paints of every top-level window made from now on whose WM_CLASS names
  // `wm_class`: for a program not yet started, whose window is not known.
  void WatchNewWindows(std::string wm_class);

  // The frames that arrived at or after `since`; paints and moves less than `merge` apart
  // count as one frame (one repaint may reach the server as several rectangles).
  std::vector<Frame> FramesSince(Clock::time_point since,
                                 Clock::duration merge = std::chrono::milliseconds(2)) const;
  // Waits up to `timeout` for a frame that arrives after `after`.
  std::optional<Frame> WaitForFrameAfter(Clock::time_point after,
                                         std::chrono::milliseconds timeout) const;

 private:
  void Read();
  void Note(Frame::Kind kind);
  void Damage(std::uint32_t window);
  std::uint32_t FrameOf(std::uint32_t window);
  bool IsWanted(std::uint32_t window);

  xcb_connection_t* connection_ = nullptr;
  std::uint32_t root_ = 0;
  std::uint32_t stopper_ = 0;  // a window of our own: an event sent to it ends the reader
  std::uint8_t damage_event_ = 0;
  std::thread reader_;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<Frame> frames_;
  std::string wanted_class_;              // read by the reader thread only once set
  std::map<std::uint32_t, bool> wanted_;  // the reader thread's own
  bool watching_new_ = false;
};

}  // namespace xprobe
