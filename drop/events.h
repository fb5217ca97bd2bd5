// What each kind of dropped file does when it joins the fight.
#pragma once

#include <vector>

#include "platform/win32/ansi_string.h"

struct DropEvent {
  enum class Speaker { kMonster, kFile };  // who Mes1 names
  enum class Middle { kNone, kWhiteFlashes, kPause };
  enum class Effect { kNone, kFeedMonster, kHealPlayer };

  std::vector<const char*> extensions;  // upper case, dot included; empty: every other one
  Speaker speaker;
  const char* line2;
  Middle middle;
  bool line3_names_monster;  // Mes3 starts with the monster's name
  const char* line3;         // null: Mes3 stays empty
  Effect effect;
};

// The sixteen events, in the order they are tested; the last takes every other extension.
const std::vector<DropEvent>& DropEvents();
// The row number (1 to 16) of the first event that takes this upper-cased extension.
int DropEventRow(const AnsiString& extension);
