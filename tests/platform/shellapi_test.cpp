// Drop handles: the count, the first name into a 255-byte buffer, and the release.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/shellapi.h"

namespace {

TEST(DropHandleTest, CountsNamesAndCopiesThemWithTheirTerminatingZero) {
  HDROP drop = MakeDropHandle({Sjis("/tmp/ソ.scr"), Sjis("/tmp/b.txt")});
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 255), 2u);
  char buffer[255];
  std::memset(buffer, 'X', sizeof buffer);
  UINT copied = DragQueryFileA(drop, 0, buffer, sizeof buffer);
  EXPECT_EQ(copied, 11u);
  EXPECT_EQ(std::string(buffer), "/tmp/\x83\x5C.scr");
  EXPECT_EQ(DragQueryFileA(drop, 1, nullptr, 0), 10u);
  EXPECT_EQ(DragQueryFileA(drop, 2, buffer, sizeof buffer), 0u);
  DragFinish(drop);
}

TEST(DropHandleTest, ShortBufferGetsTheNameCutAtACharacterBoundary) {
  HDROP drop =
      MakeDropHandle({AnsiString::FromBytes("ab\x83\x5C"
                                            "c")});
  char buffer[4];
  EXPECT_EQ(DragQueryFileA(drop, 0, buffer, sizeof buffer), 2u);
  EXPECT_EQ(std::string(buffer), "ab");
  DragFinish(drop);
}

TEST(DropHandleTest, ReleasedOnceAndUnknownAfterwards) {
  int live = LiveDropHandles();
  int stray = StrayDragFinishes();
  HDROP drop = MakeDropHandle({Sjis("/a")});
  EXPECT_EQ(LiveDropHandles(), live + 1);
  DragFinish(drop);
  EXPECT_EQ(LiveDropHandles(), live);
  EXPECT_EQ(StrayDragFinishes(), stray);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 0u);
  DragFinish(drop);
  EXPECT_EQ(StrayDragFinishes(), stray + 1);
}

}  // namespace
