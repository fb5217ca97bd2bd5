// A fresh game on the test rig for every test: the real form description and resources,
// the program-wide state as at start-up, and the title screen showing.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/form1.h"
#include "tests/rig/rig_backend.h"

class GameTest : public ::testing::Test {
 protected:
  GameTest();
  ~GameTest() override;

  // Next on the title screen, with the tick counter reading `tick` at the draw.
  void Summon(DWORD tick = 5);
  // The control's caption as UTF-8.
  static std::string Text(const TControl* control);
  // Frames recorded from `first` on.
  std::vector<rig::Frame> FramesSince(std::size_t first) const;

  rig::RigBackend rig;
  std::unique_ptr<TApplication> app;
  TForm1* form = nullptr;
};
