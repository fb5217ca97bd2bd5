// What the music module offers the program: a plain table of functions over an opaque
// interpreter, so that the program itself links neither FluidSynth nor the interpreter.
#pragma once

#include "platform/win32/types.h"

namespace sound {

// Posts MM_MCINOTIFY(code, device id) to `callback`; called from any thread, only queues.
using NotifyFunction = void (*)(HWND callback, WPARAM code, LPARAM device_id);

struct MusicApi {
  int version;
  // The system interpreter (FluidSynth, the system soundfont, PulseAudio). It starts
  // preparing on a thread of its own at once.
  void* (*create)(NotifyFunction notify);
  MCIERROR (*send_string)(void* interpreter, LPCSTR command, HWND callback);
  // Stops the music and joins the interpreter's threads.
  void (*destroy)(void* interpreter);
};

inline constexpr int kMusicApiVersion = 1;
inline constexpr char kMusicApiSymbol[] = "zorsav_music_api";
inline constexpr char kMusicModuleName[] = "libzorsav-sound.so";

}  // namespace sound
