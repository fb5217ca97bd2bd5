#include "bench/timing/timeline_chart.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr double kLeft = 150, kWidth = 760, kRowHeight = 34, kTop = 40;

struct Scale {
  double total_ms;
  double X(double ms) const { return kLeft + ms / total_ms * kWidth; }
};

std::string Format(const char* format, auto... values) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, format, values...);
  return buffer;
}

std::string RowLabel(int row, const char* text) {
  return Format("<text x='8' y='%.0f' class='label'>%s</text>\n",
                kTop + row * kRowHeight + kRowHeight / 2 + 4, text);
}

std::string Spans(const Scale& scale, int row, const std::vector<TimelineSpan>& spans,
                  const char* colour_a, const char* colour_b) {
  std::string out;
  double y = kTop + row * kRowHeight + 4;
  for (std::size_t i = 0; i < spans.size(); ++i) {
    const TimelineSpan& span = spans[i];
    double x = scale.X(span.start_ms), w = std::max(1.0, scale.X(span.length_ms) - kLeft);
    out += Format("<rect x='%.2f' y='%.0f' width='%.2f' height='%.0f' fill='%s'/>\n", x, y, w,
                  kRowHeight - 8, i % 2 ? colour_b : colour_a);
    if (w > 28) {
      out += Format("<text x='%.2f' y='%.0f' class='span'>%.0f</text>\n", x + w / 2,
                    y + kRowHeight / 2, span.length_ms);
    }
  }
  return out;
}

std::string Marks(const Scale& scale, int row, const std::vector<TimelineMark>& marks) {
  std::string out;
  double y = kTop + row * kRowHeight + 4;
  for (const TimelineMark& mark : marks) {
    out += Format("<line x1='%.2f' y1='%.0f' x2='%.2f' y2='%.0f' stroke='%s' stroke-width='2'/>\n",
                  scale.X(mark.at_ms), y, scale.X(mark.at_ms), y + kRowHeight - 8,
                  mark.is_move ? "#d95f02" : "#1b5e9e");
  }
  return out;
}

std::string Axis(const Scale& scale, int rows) {
  std::string out;
  double bottom = kTop + rows * kRowHeight;
  for (int ms = 0; ms <= scale.total_ms; ms += 250) {
    out += Format("<line x1='%.2f' y1='%.0f' x2='%.2f' y2='%.0f' stroke='#ccc'/>\n", scale.X(ms),
                  kTop, scale.X(ms), bottom);
    if (ms % 500 == 0) {
      out += Format("<text x='%.2f' y='%.0f' class='tick'>%d ms</text>\n", scale.X(ms), bottom + 16,
                    ms);
    }
  }
  return out;
}

}  // namespace

std::string TimelineSvg(const Timeline& timeline) {
  double nominal_end = 0;
  for (const TimelineSpan& span : timeline.nominal) {
    nominal_end = std::max(nominal_end, span.start_ms + span.length_ms);
  }
  const Scale scale{std::max(nominal_end, timeline.end_ms) * 1.02 + 1};
  const int rows = 3;
  std::string svg = Format(
      "<svg xmlns='http://www.w3.org/2000/svg' width='%.0f' height='%.0f' "
      "font-family='sans-serif' font-size='12'>\n",
      kLeft + kWidth + 20, kTop + rows * kRowHeight + 60);
  svg +=
      "<style>.label{fill:#222}.span{fill:#fff;text-anchor:middle;font-size:10px}"
      ".tick{fill:#555;text-anchor:middle}</style>\n"
      "<rect width='100%' height='100%' fill='#fff'/>\n";
  svg += Format("<text x='8' y='20' font-size='14'>%s</text>\n", timeline.title.c_str());
  svg += Axis(scale, rows);
  svg += RowLabel(0, "sleeps, nominal");
  svg += Spans(scale, 0, timeline.nominal, "#555", "#888");
  svg += RowLabel(1, "sleeps, measured");
  svg += Spans(scale, 1, timeline.measured, "#2e7d32", "#66bb6a");
  svg += RowLabel(2, "X server frames");
  svg += Marks(scale, 2, timeline.frames);
  double legend = kTop + rows * kRowHeight + 38;
  svg += Format(
      "<line x1='%.0f' y1='%.0f' x2='%.0f' y2='%.0f' stroke='#1b5e9e' stroke-width='2'/>"
      "<text x='%.0f' y='%.0f'>paint</text>"
      "<line x1='%.0f' y1='%.0f' x2='%.0f' y2='%.0f' stroke='#d95f02' stroke-width='2'/>"
      "<text x='%.0f' y='%.0f'>window move</text>\n",
      kLeft, legend - 10, kLeft, legend + 2, kLeft + 6, legend, kLeft + 60, legend - 10, kLeft + 60,
      legend + 2, kLeft + 66, legend);
  svg += Format("<text x='%.0f' y='%.0f'>nominal %.0f ms, last frame at %.1f ms</text>\n",
                kLeft + 200, legend, nominal_end, timeline.end_ms);
  svg += "</svg>\n";
  return svg;
}
