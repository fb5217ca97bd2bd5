// The music module's one entry point, over the MCI interpreter on FluidSynth.
#include "platform/mci/mci.h"
#include "platform/sound/music_api.h"

namespace {

void* Create(sound::NotifyFunction notify) {
  return mci::CreateSystemInterpreter([notify](HWND callback, WPARAM code, LPARAM device) {
           notify(callback, code, device);
         })
      .release();
}

MCIERROR SendString(void* interpreter, LPCSTR command, HWND callback) {
  return static_cast<mci::Interpreter*>(interpreter)->SendString(command, callback);
}

void Destroy(void* interpreter) { delete static_cast<mci::Interpreter*>(interpreter); }

constexpr sound::MusicApi kApi{sound::kMusicApiVersion, &Create, &SendString, &Destroy};

}  // namespace

extern "C" __attribute__((visibility("default"))) const sound::MusicApi* zorsav_music_api() {
  return &kApi;
}
