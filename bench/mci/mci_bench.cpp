// Measures the MCI interpreter over FluidSynth: the time each command holds the calling thread,
// the CPU share of one core while a theme plays (looping as the game loops it), the start-up
// time and the peak memory with the soundfont loaded. Needs a sound server (PulseAudio or
// PipeWire's Pulse server); PULSE_SERVER selects another one.
//
//   mci_bench [--file PATH] [--seconds N] [--repeats N] [--soundfont PATH]
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/mci/mci.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Args {
  std::string file = std::string(ZORSAV_MUSIC_DIR) + "/ZORSAVM1.MID";
  double seconds = 20;
  int repeats = 200;
  std::string soundfont;
};

Args ParseArgs(int argc, char** argv) {
  Args args;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string name = argv[i];
    if (name == "--file") args.file = argv[i + 1];
    if (name == "--seconds") args.seconds = std::atof(argv[i + 1]);
    if (name == "--repeats") args.repeats = std::atoi(argv[i + 1]);
    if (name == "--soundfont") args.soundfont = argv[i + 1];
  }
  return args;
}

double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakRssKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Code 1 notifications, handed from the audio side to the thread that answers them.
class Notifications {
 public:
  void Post(WPARAM code) {
    std::lock_guard lock(mutex_);
    if (code == MCI_NOTIFY_SUCCESSFUL) ++ends_;
    changed_.notify_all();
  }
  bool WaitForEnd(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_until(lock, until, [this] { return ends_ > 0; })) return false;
    --ends_;
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int ends_ = 0;
};

// Times each command over many repeats, as the game sends them.
std::map<std::string, std::vector<double>> TimeCommands(mci::Interpreter& mci,
                                                        const std::string& file, int repeats) {
  const HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x40});
  const std::vector<std::pair<std::string, std::string>> commands = {
      {"open", "open " + file},
      {"play notify", "play " + file + " notify"},
      {"seek to start", "seek " + file + " to start"},
      {"play notify (restart)", "play " + file + " notify"},
      {"stop", "stop " + file},
      {"close", "close " + file}};
  std::map<std::string, std::vector<double>> times;
  for (int i = 0; i < repeats; ++i) {
    for (const auto& [name, command] : commands) {
      const auto start = Clock::now();
      const MCIERROR error = mci.SendString(command, window);
      times[name].push_back(Microseconds(Clock::now() - start));
      if (error != 0) std::fprintf(stderr, "%s failed with %u\n", command.c_str(), error);
    }
  }
  return times;
}

void PrintTimes(const std::map<std::string, std::vector<double>>& times) {
  std::printf("%-24s %10s %10s %10s %10s\n", "command (calling thread)", "median us", "min us",
              "p90 us", "max us");
  for (auto [name, samples] : times) {
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
      return samples[static_cast<std::size_t>(q * (samples.size() - 1))];
    };
    std::printf("%-24s %10.1f %10.1f %10.1f %10.1f\n", name.c_str(), at(0.5), samples.front(),
                at(0.9), samples.back());
  }
}

// Plays the file for `seconds`, answering each code 1 with a restart as the game does.
double CpuShareWhilePlaying(mci::Interpreter& mci, Notifications& notes, const std::string& file,
                            double seconds, int& loops) {
  const HWND window = reinterpret_cast<HWND>(std::uintptr_t{0x40});
  mci.SendString("open " + file, nullptr);
  const double cpu_start = CpuSeconds();
  const auto start = Clock::now();
  const auto until =
      start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
  mci.SendString("play " + file + " notify", window);
  loops = 0;
  while (notes.WaitForEnd(until)) {
    ++loops;
    mci.SendString("seek " + file + " to start", nullptr);
    mci.SendString("play " + file + " notify", window);
  }
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double share = (CpuSeconds() - cpu_start) / wall;
  mci.SendString("stop " + file, nullptr);
  mci.SendString("close " + file, nullptr);
  return share;
}

}  // namespace

int main(int argc, char** argv) {
  const Args args = ParseArgs(argc, argv);
  if (!std::filesystem::exists(args.file)) {
    std::fprintf(stderr, "no such file: %s (use --file)\n", args.file.c_str());
    return 1;
  }
  Notifications notes;
  mci::SystemOptions options;
  options.soundfont = args.soundfont;
  const auto created = Clock::now();
  auto mci =
      mci::CreateSystemInterpreter([&](HWND, WPARAM code, LPARAM) { notes.Post(code); }, options);
  const double create_us = Microseconds(Clock::now() - created);
  if (mci->WaitUntilSettled(std::chrono::seconds(60)) != mci::Readiness::kReady) {
    std::fprintf(stderr, "no music here: start a sound server first\n");
    return 1;
  }
  const double ready_ms = Microseconds(Clock::now() - created) / 1000;

  std::printf("file: %s\n", args.file.c_str());
  std::printf("CreateSystemInterpreter on the calling thread: %.1f us\n", create_us);
  std::printf("start-up until ready (synth, soundfont, audio output): %.0f ms\n\n", ready_ms);
  PrintTimes(TimeCommands(*mci, args.file, args.repeats));
  int loops = 0;
  const double share = CpuShareWhilePlaying(*mci, notes, args.file, args.seconds, loops);
  std::printf("\nCPU share of one core while playing %.0f s (%d loop restarts): %.1f %%\n",
              args.seconds, loops, 100 * share);
  std::printf("peak RSS: %.1f MB\n", PeakRssKilobytes() / 1024.0);
  return 0;
}
