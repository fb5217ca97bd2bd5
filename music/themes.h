// The two themes, driven by the media command strings at fixed points of the story.
// Results are never read: a missing or broken file only silences the music.
#pragma once

#include "platform/win32/types.h"

// The summon: open the battle theme and play it, asking to be told when it ends.
void StartBattleTheme(HWND callback);
// The battle theme ended: play it again from the start, which makes it loop.
void LoopBattleTheme(HWND callback);
// Victory or defeat: stop the battle theme and release its device.
void StopBattleTheme();
// After the victory: play the ending theme once.
void StartEndingTheme();
// Exit: stop the ending theme and release its device.
void StopEndingTheme();
