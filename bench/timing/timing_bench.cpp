// Measures the game on the real Qt backend, with its music, on an X server:
//   - the CPU share of the idle title screen and of the battle with its theme playing;
//   - each screen effect and a whole plain-hit turn, as the ratio of measured to nominal
//     length, from inside (the wall clock around the call) and from outside (the frames the
//     X server reports on a connection of its own, from the first one to a marker paint
//     made right after the call);
//   - the cost of a repaint at once, for the game's window and the full-screen defeat window;
//   - the peak memory with the battle theme playing.
// Run it on an X server:
//   DISPLAY=:99 build/timing_bench [--repeats N] [--cpu-seconds S] [--chart turn.svg]
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "bench/timing/timeline_chart.h"
#include "bench/xprobe/frame_probe.h"
#include "platform/mci/mci.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/widgets.h"
#include "platform/win32/kernel.h"
#include "platform/win32/mmsystem.h"
#include "platform/win32/resources.h"
#include "platform/win32/user.h"

namespace {

using Clock = std::chrono::steady_clock;

// The title screen counts as idle once start-up is over: the music's synth is ready and its
// audio output, opened to check that there is one, has been closed again for the silence.
constexpr double kStartUpTailSeconds = 5;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The real backend with the tick counter's readings scripted, so that a turn plays the
// outcome being measured, and with each sleep noted for the timeline chart.
class BenchBackend : public QtBackend {
 public:
  using QtBackend::QtBackend;
  void Script(std::vector<DWORD> ticks) { ticks_.assign(ticks.begin(), ticks.end()); }
  DWORD TickCount() override {
    if (ticks_.empty()) return QtBackend::TickCount();
    DWORD tick = ticks_.front();
    ticks_.pop_front();
    return tick;
  }
  struct SleepCall {
    Clock::time_point called, returned;
    DWORD milliseconds;
  };
  void Sleep(DWORD milliseconds) override {
    auto called = Clock::now();
    QtBackend::Sleep(milliseconds);
    sleeps.push_back({called, Clock::now(), milliseconds});
  }
  std::vector<SleepCall> sleeps;

 private:
  std::deque<DWORD> ticks_;
};

struct Options {
  int repeats = 9;
  double cpu_seconds = 30;
  std::string chart;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--repeats") == 0)
      options.repeats = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--cpu-seconds") == 0) options.cpu_seconds = std::atof(argv[i + 1]);
    if (std::strcmp(argv[i], "--chart") == 0) options.chart = argv[i + 1];
  }
  return options;
}

struct Stats {
  double median = 0, min = 0, max = 0;
};

Stats Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.front(), values.back()};
}

// Lets the event loop run for `seconds`.
void Wait(double seconds) {
  QEventLoop loop;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
  loop.exec();
}

// The process's CPU time (all its threads) and its wake-ups, over `seconds` of the event loop.
void MeasureCpu(const char* what, double seconds) {
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  auto start = Clock::now();
  Wait(seconds);
  double wall = Milliseconds(Clock::now() - start) / 1000;
  getrusage(RUSAGE_SELF, &after);
  auto cpu = [](const rusage& u) {
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  long wakeups = (after.ru_nvcsw - before.ru_nvcsw) + (after.ru_nivcsw - before.ru_nivcsw);
  std::printf("%-34s %6.2f %% of one core, %7.1f wake-ups/s over %.0f s\n", what,
              100 * (cpu(after) - cpu(before)) / wall, wakeups / wall, wall);
}

// Runs `action` as the game runs its handlers: from the event loop, as an event of its own.
void RunAsHandler(const std::function<void()>& action) {
  QEventLoop loop;
  QMetaObject::invokeMethod(
      &loop,
      [&] {
        action();
        loop.quit();
      },
      Qt::QueuedConnection);
  loop.exec();
}

struct Effect {
  const char* name;
  double nominal;
  std::function<void()> play;
};

struct EffectRun {
  double inside_ms = 0, outside_ms = -1;
};

// One play of an effect, timed from inside and from the X server's frames.
EffectRun PlayOnce(BenchBackend& backend, xprobe::FrameProbe& probe, const Effect& effect) {
  backend.sleeps.clear();
  EffectRun run;
  Clock::time_point start, end;
  RunAsHandler([&] {
    start = Clock::now();
    effect.play();
    end = Clock::now();
  });
  run.inside_ms = Milliseconds(end - start);
  Form1->Refresh();  // the marker paint
  auto marker = probe.WaitForFrameAfter(end, std::chrono::milliseconds(500));
  auto frames = probe.FramesSince(start);
  if (marker && !frames.empty()) run.outside_ms = Milliseconds(marker->at - frames.front().at);
  return run;
}

void Report(const Effect& effect, const std::vector<EffectRun>& runs) {
  std::vector<double> inside, outside;
  for (const EffectRun& run : runs) {
    inside.push_back(run.inside_ms);
    if (run.outside_ms >= 0) outside.push_back(run.outside_ms);
  }
  Stats in = Summarise(inside);
  std::printf("%-28s %7.0f | inside %8.2f %8.2f %8.2f %7.4f", effect.name, effect.nominal,
              in.median, in.min, in.max, in.median / effect.nominal);
  if (outside.empty()) {
    std::printf(" | outside: no frames seen\n");
    return;
  }
  Stats out = Summarise(outside);
  std::printf(" | outside %8.2f %8.2f %8.2f %7.4f\n", out.median, out.min, out.max,
              out.median / effect.nominal);
}

Timeline TurnTimeline(BenchBackend& backend, xprobe::FrameProbe& probe, const Effect& turn) {
  backend.sleeps.clear();
  Clock::time_point start, end;
  RunAsHandler([&] {
    start = Clock::now();
    turn.play();
    end = Clock::now();
  });
  Form1->Refresh();
  auto marker = probe.WaitForFrameAfter(end, std::chrono::milliseconds(500));
  Timeline timeline;
  timeline.title = "One plain-hit turn: the sleeps as written, as they ran, and the frames";
  auto frames = probe.FramesSince(start);
  const Clock::time_point origin = frames.empty() ? start : frames.front().at;
  double nominal_at = 0;
  for (const auto& sleep : backend.sleeps) {
    timeline.nominal.push_back({nominal_at, static_cast<double>(sleep.milliseconds)});
    nominal_at += sleep.milliseconds;
    timeline.measured.push_back(
        {Milliseconds(sleep.called - origin), Milliseconds(sleep.returned - sleep.called)});
  }
  for (const xprobe::Frame& frame : frames) {
    if (marker && frame.at >= marker->at) break;
    timeline.frames.push_back(
        {Milliseconds(frame.at - origin), frame.kind == xprobe::Frame::Kind::kMove});
  }
  timeline.end_ms = marker ? Milliseconds(marker->at - origin) : 0;
  return timeline;
}

Stats RepaintCost(TColor a, TColor b) {
  std::vector<double> repaints;
  for (int i = 0; i < 200; ++i) {
    Form1->Panel1->SetColor(i % 2 ? a : b);
    auto start = Clock::now();
    Form1->Refresh();
    repaints.push_back(Milliseconds(Clock::now() - start));
  }
  return Summarise(repaints);
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
  auto process_start = Clock::now();
  const Options options = ParseOptions(argc, argv);
  if (!PrepareDisplay()) return 1;
  BenchBackend backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  // The music as the game has it, so that its threads count in the figures.
  std::unique_ptr<mci::Interpreter> music =
      mci::CreateSystemInterpreter([](HWND callback, WPARAM code, LPARAM device) {
        PostMessageA(callback, MM_MCINOTIFY, code, device);
      });
  SetMciCommandHandler(
      [&music](LPCSTR command, HWND callback) { return music->SendString(command, callback); });
  TApplication application;
  Application->SetTitle(Sjis("ZOR-ScreenSaver"));
  Application->CreateForm(Form1);
  backend.ShowMainForm(*Form1);
  Form1->Refresh();
  std::printf("start to first painted frame, inside:  %.1f ms\n\n",
              Milliseconds(Clock::now() - process_start));

  if (options.cpu_seconds > 0) {
    Wait(kStartUpTailSeconds);
    MeasureCpu("CPU, idle title screen:", options.cpu_seconds);
  }
  backend.Script({5});
  RunAsHandler([] { Form1->Button5->Click(); });  // the summon: the battle theme starts
  if (options.cpu_seconds > 0) {
    MeasureCpu("CPU, battle with its theme playing:", options.cpu_seconds);
  }
  std::printf("peak RSS with the battle theme playing: %.1f MB\n\n", PeakRssMb());

  xprobe::FrameProbe probe;
  if (!probe.Connect()) {
    std::fprintf(stderr, "timing_bench: the X server has no DAMAGE extension\n");
    return 1;
  }
  probe.Watch(static_cast<std::uint32_t>(backend.MainWidget()->winId()));

  std::printf("%-28s %7s | %-6s %8s %8s %8s %7s | %-7s %8s %8s %8s %7s\n", "effect", "nominal",
              "inside", "median", "min", "max", "ratio", "outside", "median", "min", "max",
              "ratio");
  const std::vector<Effect> effects = {
      {"FlashScreen(yellow, 250)", 300, [] { Form1->FlashScreen(clYellow, 250); }},
      {"WhiteFlashes", 300, [] { Form1->WhiteFlashes(); }},
      {"BlinkMonster x2", 300,
       [] {
         Form1->BlinkMonster();
         Sleep(100);
         Form1->BlinkMonster();
       }},
      {"ShakeSideways+Vertical(100)", 300,
       [] {
         Form1->ShakeSideways();
         Form1->ShakeVertical(100);
       }},
      {"ShakeVertical(200)", 300, [] { Form1->ShakeVertical(200); }},
      {"plain-hit turn", 2700,
       [&backend] {
         Form1->PlayerHP = 50;
         Form1->MonsterHP = 50;
         backend.Script({1, 10, 3, 1});
         Form1->Button1->Click();
       }},
  };
  for (const Effect& effect : effects) {
    std::vector<EffectRun> runs;
    for (int i = 0; i < options.repeats; ++i) runs.push_back(PlayOnce(backend, probe, effect));
    Report(effect, runs);
  }
  if (!options.chart.empty()) {
    std::ofstream(options.chart) << TimelineSvg(TurnTimeline(backend, probe, effects.back()));
  }

  Stats small = RepaintCost(clBlack, clWhite);
  Form1->SetBounds(-1, -1, backend.ScreenWidth() + 2, backend.ScreenHeight() + 2);
  Form1->Refresh();
  Stats full = RepaintCost(clBlack, clRed);
  std::printf("\nrepaint at once, 462 x 301:   median %.3f ms (min %.3f, max %.3f)\n", small.median,
              small.min, small.max);
  std::printf("repaint at once, %d x %d: median %.3f ms (min %.3f, max %.3f)\n",
              backend.ScreenWidth() + 2, backend.ScreenHeight() + 2, full.median, full.min,
              full.max);
  SetMciCommandHandler(nullptr);
  music.reset();
  return 0;
}
