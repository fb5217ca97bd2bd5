// Measures, on the real Qt backend, how long each screen effect and a whole battle turn take
// on the wall clock against the sum of their sleeps, the cost of a repaint at once, the time
// from start to the first painted frame, and the peak memory. Run it on an X server:
//   DISPLAY=:99 build/timing_bench [repeats]
#include <sys/resource.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/form1.h"
#include "platform/qt/qt_backend.h"
#include "platform/win32/kernel.h"
#include "platform/win32/resources.h"

namespace {

using Clock = std::chrono::steady_clock;

// The real backend with the tick counter's readings scripted, so that a turn plays the
// outcome being measured.
class ScriptedTicks : public QtBackend {
 public:
  using QtBackend::QtBackend;
  void Script(std::vector<DWORD> ticks) { ticks_.assign(ticks.begin(), ticks.end()); }
  DWORD TickCount() override {
    if (ticks_.empty()) return QtBackend::TickCount();
    DWORD tick = ticks_.front();
    ticks_.pop_front();
    return tick;
  }

 private:
  std::deque<DWORD> ticks_;
};

struct Stats {
  double median = 0, min = 0, max = 0;
};

Stats Summarise(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return {values[values.size() / 2], values.front(), values.back()};
}

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double TimeOnce(const std::function<void()>& action) {
  auto start = Clock::now();
  action();
  return Milliseconds(Clock::now() - start);
}

void Report(const char* name, double nominal, const std::vector<double>& samples) {
  Stats s = Summarise(samples);
  std::printf("%-28s %8.1f %9.2f %9.2f %9.2f %8.4f\n", name, nominal, s.median, s.min, s.max,
              s.median / nominal);
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  auto process_start = Clock::now();
  int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  if (!PrepareDisplay()) return 1;
  ScriptedTicks backend(argc, argv);
  SetBackend(&backend);
  RegisterResources(EmbeddedResources());
  TApplication application;
  Application->SetTitle(Sjis("ZOR-ScreenSaver"));
  Application->CreateForm(Form1);
  backend.ShowMainForm(*Form1);
  Form1->Refresh();
  double first_paint = Milliseconds(Clock::now() - process_start);

  backend.Script({5});
  Form1->Button5->Click();  // the summon
  QApplication::processEvents();

  std::printf("%-28s %8s %9s %9s %9s %8s\n", "effect", "nominal", "median", "min", "max", "ratio");
  struct Effect {
    const char* name;
    double nominal;
    std::function<void()> play;
  };
  std::vector<Effect> effects = {
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
       [&] {
         Form1->PlayerHP = 50;
         Form1->MonsterHP = 50;
         backend.Script({1, 10, 3, 1});
         Form1->Button1->Click();
       }},
  };
  for (const Effect& effect : effects) {
    std::vector<double> samples;
    for (int i = 0; i < repeats; ++i) {
      samples.push_back(TimeOnce(effect.play));
      QApplication::processEvents();
    }
    Report(effect.name, effect.nominal, samples);
  }

  std::vector<double> repaints;
  for (int i = 0; i < 200; ++i) {
    Form1->Panel1->SetColor(i % 2 ? clBlack : clWhite);
    repaints.push_back(TimeOnce([] { Form1->Refresh(); }));
  }
  Stats small = Summarise(repaints);
  Form1->SetBounds(-1, -1, backend.ScreenWidth() + 2, backend.ScreenHeight() + 2);
  Form1->Refresh();
  repaints.clear();
  for (int i = 0; i < 200; ++i) {
    Form1->Panel1->SetColor(i % 2 ? clBlack : clRed);
    repaints.push_back(TimeOnce([] { Form1->Refresh(); }));
  }
  Stats full = Summarise(repaints);
  std::printf("\nrepaint at once, 462 x 301:  median %.3f ms (min %.3f, max %.3f)\n", small.median,
              small.min, small.max);
  std::printf("repaint at once, %d x %d: median %.3f ms (min %.3f, max %.3f)\n",
              backend.ScreenWidth() + 2, backend.ScreenHeight() + 2, full.median, full.min,
              full.max);
  std::printf("start to first painted frame: %.1f ms\n", first_paint);
  std::printf("peak RSS: %.1f MB\n", PeakRssKb() / 1024.0);
  return 0;
}
