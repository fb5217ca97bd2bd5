// Files dragged from the file manager, as the game's drop handles want them.
#pragma once

#include <QMimeData>
#include <vector>

#include "platform/win32/ansi_string.h"

// True when the drag carries at least one local file; a web link or plain text does not.
bool CarriesLocalFiles(const QMimeData& data);
// The local files' full paths as CP932, each cut to at most 254 bytes at a character boundary.
std::vector<AnsiString> DroppedNames(const QMimeData& data);
