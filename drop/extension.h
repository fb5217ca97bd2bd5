// The extension of a dropped file's name, upper-cased, which picks the file's event.
#pragma once

#include "platform/win32/ansi_string.h"

// From the last dot to the end, the dot included, when the last dot, backslash, colon or
// slash of the name is a dot; else empty. Second bytes of double-byte characters never
// count as any of these. Upper-cased with the ANSI upper-casing.
AnsiString UpperExtension(const AnsiString& name);
