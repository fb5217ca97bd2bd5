// The HP label's hidden joke: double-clicks are counted during the battle, and some counts
// get an answer.
#pragma once

#include "platform/win32/types.h"

// Double-clicks on the HP label while the battle was still on; never reset.
extern DWORD HPClickCount;

// The box text for a count, or null when that count shows nothing.
const char* HPClickMessage(DWORD count);
