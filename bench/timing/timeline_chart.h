// Draws one turn's timeline as an SVG picture: the sleeps as written, the sleeps as they ran,
// and the frames the X server reported.
#pragma once

#include <string>
#include <vector>

struct TimelineSpan {
  double start_ms;
  double length_ms;
};

struct TimelineMark {
  double at_ms;
  bool is_move;  // a window move, else a paint
};

struct Timeline {
  std::string title;
  std::vector<TimelineSpan> nominal;   // each sleep where the sum of the ones before puts it
  std::vector<TimelineSpan> measured;  // each sleep from its call to its return
  std::vector<TimelineMark> frames;    // from the turn's first frame
  double end_ms = 0;                   // the turn's last frame
};

std::string TimelineSvg(const Timeline& timeline);
