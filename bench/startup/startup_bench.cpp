// Starts the game again and again, as a desktop menu would, and times from the start of the
// process to its window's first paint as the X server reports it. Each run is left on its
// title screen for a while, with the music's synth and soundfont loaded, then ended; the
// kernel's account of the process gives its peak memory. Run it on an X server:
//   DISPLAY=:99 build/startup_bench [runs] [seconds on the title screen]
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "bench/xprobe/frame_probe.h"

namespace {

using xprobe::Clock;

// The game's binary: beside this one.
std::string GameBinary(const char* self) {
  std::string path(self);
  auto slash = path.rfind('/');
  return (slash == std::string::npos ? std::string(".") : path.substr(0, slash)) + "/zorsav";
}

struct Run {
  double first_paint_ms = -1;
  double peak_rss_mb = 0;
};

Run StartOnce(xprobe::FrameProbe& probe, const std::string& binary, double title_seconds) {
  Run run;
  const Clock::time_point start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  if (child < 0) return run;
  if (auto frame = probe.WaitForFrameAfter(start, std::chrono::seconds(10))) {
    run.first_paint_ms = std::chrono::duration<double, std::milli>(frame->at - start).count();
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(title_seconds));
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.peak_rss_mb = usage.ru_maxrss / 1024.0;
  // The X server and the sound server tidy up after the program; the next start waits.
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  return run;
}

void Print(const char* what, std::vector<double> values, const char* unit) {
  std::sort(values.begin(), values.end());
  std::printf("%-30s median %7.1f %s (min %.1f, max %.1f, %zu runs)\n", what,
              values[values.size() / 2], unit, values.front(), values.back(), values.size());
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const double title_seconds = argc > 2 ? std::atof(argv[2]) : 2.0;
  const std::string binary = GameBinary(argv[0]);
  xprobe::FrameProbe probe;
  if (!probe.Connect()) {
    std::fprintf(stderr, "startup_bench: needs an X server with DAMAGE ($DISPLAY)\n");
    return 1;
  }
  probe.WatchNewWindows("zorsav");
  std::vector<double> first_paints, rss;
  for (int i = 0; i < runs; ++i) {
    Run run = StartOnce(probe, binary, title_seconds);
    if (run.first_paint_ms < 0) {
      std::fprintf(stderr, "startup_bench: run %d showed no window\n", i + 1);
      return 1;
    }
    first_paints.push_back(run.first_paint_ms);
    rss.push_back(run.peak_rss_mb);
  }
  Print("start to first painted frame", first_paints, "ms");
  Print("peak RSS on the title screen", rss, "MB");
  return 0;
}
