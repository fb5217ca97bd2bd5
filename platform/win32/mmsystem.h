// The multimedia string-command entry point. It forwards to the installed command
// interpreter; with none installed every command fails and nothing is posted.
#pragma once

#include <functional>

#include "platform/win32/types.h"

MCIERROR mciSendStringA(LPCSTR command, LPSTR return_buffer, UINT return_length, HWND callback);

// What mciSendStringA forwards to. The program entry installs the FluidSynth-backed
// interpreter; the test rig installs a recording one.
using MciCommandHandler = std::function<MCIERROR(LPCSTR command, HWND callback)>;
void SetMciCommandHandler(MciCommandHandler handler);
