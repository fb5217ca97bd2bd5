// The sleeps of a handler on the real backend keep to their own timeline.
#include "platform/qt/sleep_timeline.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

namespace {

using std::chrono::milliseconds;
using Clock = SleepTimeline::Clock;

// One sleep: called this long after the handler began, for this long.
struct Call {
  int at_ms;
  int sleep_ms;
};

// When each sleep ends, in milliseconds after the handler began.
std::vector<long> Ends(SleepTimeline& timeline, const std::vector<Call>& calls) {
  const Clock::time_point start{};
  std::vector<long> ends;
  for (const Call& call : calls) {
    auto end = timeline.Deadline(start + milliseconds(call.at_ms), milliseconds(call.sleep_ms));
    ends.push_back(std::chrono::duration_cast<milliseconds>(end - start).count());
  }
  return ends;
}

struct TimelineCase {
  const char* what;
  std::vector<Call> calls;
  std::vector<long> ends;
};

void PrintTo(const TimelineCase& c, std::ostream* out) { *out << c.what; }

class SleepTimelineTest : public testing::TestWithParam<TimelineCase> {};

TEST_P(SleepTimelineTest, EachSleepEndsOnTheTimeline) {
  SleepTimeline timeline;
  EXPECT_EQ(Ends(timeline, GetParam().calls), GetParam().ends) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Sleeps, SleepTimelineTest,
    testing::Values(TimelineCase{"a first sleep counts from its call", {{7, 50}}, {57}},
                    // Three white flashes: a repaint of 2 ms before each sleep of 50 ms.
                    TimelineCase{"repaint time is taken off the next sleep",
                                 {{2, 50}, {54, 50}, {102, 50}, {154, 50}, {202, 50}, {254, 50}},
                                 {52, 102, 152, 202, 252, 302}},
                    TimelineCase{"work longer than the sleep is not caught up",
                                 {{0, 50}, {130, 50}, {150, 50}},
                                 {50, 130, 180}},
                    TimelineCase{"a sleep of 0 keeps the timeline",
                                 {{0, 100}, {101, 0}, {103, 100}},
                                 {100, 101, 201}}),
    [](const testing::TestParamInfo<TimelineCase>& info) {
      return "Case" + std::to_string(info.index);
    });

TEST(SleepTimelineRestart, TheFirstSleepCountsFromTheHandlersStart) {
  SleepTimeline timeline;
  timeline.Restart(Clock::time_point{});
  // Two repaints of 2 ms each before the first flash's sleep.
  EXPECT_EQ(Ends(timeline, {{4, 50}, {56, 50}}), (std::vector<long>{50, 100}));
}

TEST(SleepTimelineRestart, StartsAfreshAfterAWait) {
  SleepTimeline timeline;
  timeline.Restart(Clock::time_point{});
  Ends(timeline, {{0, 100}});
  // A box was open until 3000 ms: the next sleep is a whole one again.
  timeline.Restart(Clock::time_point{} + milliseconds(3000));
  EXPECT_EQ(Ends(timeline, {{3001, 50}}), std::vector<long>{3050});
}

}  // namespace
