// The battle's texts that carry a number or the monster's name.
#pragma once

#include "platform/win32/ansi_string.h"

// "<monster>に N のダメージをあたえた！": the player's blow.
AnsiString BlowLine(const AnsiString& monster_name, int damage);
// "あなたは N のダメージをうけた！": the monster's blow.
AnsiString HurtLine(int damage);
