// Who sends the letter of thanks after a victory: the operating system, by its version.
#pragma once

#include "platform/win32/ansi_string.h"
#include "platform/win32/kernel.h"

AnsiString LetterSenderName(const OSVERSIONINFOA& version);
// Asks the system for its version and names it.
AnsiString LetterSender();
