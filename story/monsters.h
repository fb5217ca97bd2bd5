// The five monsters that can take over the screen.
#pragma once

#include "platform/win32/ansi_string.h"

// The display name of monster 1 to 5.
AnsiString MonsterNameOf(int monster_no);
// The bitmap resource of monster 1 to 5: "B" and the number.
AnsiString MonsterBitmapName(int monster_no);
