#include "tests/rig/game_fixture.h"

#include "drop/dropped_files.h"
#include "extras/hp_messages.h"
#include "platform/win32/kernel.h"
#include "platform/win32/resources.h"
#include "platform/win32/shellapi.h"

GameTest::GameTest() {
  // The program-wide state as at start-up.
  for (AnsiString& name : DroppedFiles) name = AnsiString();
  DroppedCount = 0;
  HPClickCount = 0;
  SetBackend(&rig);
  RegisterResources(EmbeddedResources());
  app = std::make_unique<TApplication>();
  Application->Initialize();
  Application->SetTitle(Sjis("ZOR-ScreenSaver"));
  Application->CreateForm(Form1);
  form = Form1;
  Application->Run();
}

GameTest::~GameTest() {
  app.reset();
  SetVersionForTesting(std::nullopt);
  SetBackend(nullptr);
}

void GameTest::Summon(DWORD tick) {
  rig.ScriptTicks({tick});
  ASSERT_TRUE(rig.Click(*form->Button5));
  ASSERT_EQ(form->Stage, StageBattle);
}

std::string GameTest::Text(const TControl* control) { return ToUtf8(control->Caption()); }

std::vector<rig::Frame> GameTest::FramesSince(std::size_t first) const {
  const auto& frames = rig.Frames();
  return std::vector<rig::Frame>(frames.begin() + static_cast<std::ptrdiff_t>(first), frames.end());
}
