// The music, loaded from its module once the window shows: FluidSynth and the forty-odd
// libraries it needs would otherwise be loaded before the first frame.
#pragma once

#include <string>

#include "platform/sound/music_api.h"

namespace sound {

// Where the module is: beside the program (a build tree), else in the program's private
// library folder (an installed program).
std::string MusicModulePath();

class MusicModule {
 public:
  // Loads nothing yet.
  MusicModule(std::string path, NotifyFunction notify);
  ~MusicModule();
  MusicModule(const MusicModule&) = delete;
  MusicModule& operator=(const MusicModule&) = delete;

  // Loads the module and starts the interpreter, once. Without a usable module, says why on
  // stderr, once, and every command fails.
  void Load();
  // Runs one command, loading the module first if that has not happened yet.
  MCIERROR SendString(LPCSTR command, HWND callback);
  bool Loaded() const { return interpreter_ != nullptr; }

 private:
  std::string path_;
  NotifyFunction notify_;
  bool tried_ = false;
  void* library_ = nullptr;
  const MusicApi* api_ = nullptr;
  void* interpreter_ = nullptr;
};

}  // namespace sound
