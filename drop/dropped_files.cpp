#include "drop/dropped_files.h"

AnsiString DroppedFiles[kMaxDroppedFiles];
int DroppedCount = 0;

bool AlreadyDropped(const AnsiString& name) {
  for (int i = 0; i < DroppedCount; ++i) {
    if (DroppedFiles[i] == name) return true;
  }
  return false;
}

void RememberDropped(const AnsiString& name) {
  if (DroppedCount >= kMaxDroppedFiles) return;
  DroppedFiles[DroppedCount] = name;
  ++DroppedCount;
}
