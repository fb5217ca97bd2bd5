// Files dropped from the desktop's file manager.
#pragma once

#include <string_view>
#include <vector>

#include "platform/win32/ansi_string.h"
#include "platform/win32/types.h"

// Switches the delivery of WM_DROPFILES to the form's window on or off. While it is off, the
// desktop is told that the window takes no drops.
void DragAcceptFiles(HWND window, BOOL accept);
// Index 0xFFFFFFFF: the number of files. Otherwise copies the name of file `index` into
// `buffer` (at most size - 1 bytes and a terminating zero) and returns the bytes copied, or
// without a buffer the length the name needs. 0 for a bad handle or index.
UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size);
// Releases the drop handle. Releasing an unknown handle does nothing.
void DragFinish(HDROP drop);

// A path from the desktop (UTF-8) as the ANSI API names it: CP932, with "?" for every
// character CP932 cannot hold, cut to at most 254 bytes at a character boundary.
AnsiString AnsiPathFromDesktop(std::string_view utf8_path);

// Makes a drop handle holding these names (CP932 full paths), for the backends.
HDROP MakeDropHandle(std::vector<AnsiString> names);
// How many drop handles are alive: every drop must be released exactly once.
int LiveDropHandles();
// How many times DragFinish was called on a handle that was not alive.
int StrayDragFinishes();
