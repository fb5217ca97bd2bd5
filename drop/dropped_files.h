// The names of the files that have joined the fight: each name only once in the program's
// life, at most 100 in all. Nothing is ever removed.
#pragma once

#include "platform/win32/ansi_string.h"

constexpr int kMaxDroppedFiles = 100;

extern AnsiString DroppedFiles[kMaxDroppedFiles];
extern int DroppedCount;

// Byte-for-byte comparison with every stored name: letter case matters.
bool AlreadyDropped(const AnsiString& name);
// Stores the name as the next entry. The caller has checked the limit.
void RememberDropped(const AnsiString& name);
