#include "platform/mci/fluid_engine.h"

#include <filesystem>
#include <mutex>

namespace mci {
namespace {

constexpr char kFallbackSoundfont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";

bool IsSoundfontFile(const std::string& path) {
  std::error_code code;
  return !path.empty() && std::filesystem::is_regular_file(path, code) &&
         fluid_is_soundfont(path.c_str());
}

std::string DefaultSoundfont(fluid_settings_t* settings) {
  char* value = nullptr;
  std::string path;
  if (fluid_settings_dupstr(settings, "synth.default-soundfont", &value) == FLUID_OK && value) {
    path = value;
  }
  fluid_free(value);
  return path;
}

fluid_settings_t* NewSettings(const SystemOptions& options) {
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return nullptr;
  // The player must not reset the synth when a song ends: that would cut the last notes' tails.
  fluid_settings_setint(settings, "player.reset-synth", 0);
  fluid_settings_setint(settings, "synth.lock-memory", 0);
  // Only the instruments a song selects are read from the soundfont, when it selects them: a
  // general MIDI soundfont holds far more than the two themes use (FluidR3_GM is 148 MB).
  fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
  if (!options.audio_driver.empty()) {
    fluid_settings_setstr(settings, "audio.driver", options.audio_driver.c_str());
  }
  fluid_settings_setint(settings, "audio.period-size", options.period_frames);
  return settings;
}

}  // namespace

FluidEngine::FluidEngine(fluid_settings_t* settings, fluid_synth_t* synth)
    : settings_(settings), synth_(synth) {}

FluidEngine::~FluidEngine() {
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
}

void QuietFluidSynthLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
      fluid_set_log_function(level, nullptr, nullptr);
    }
  });
}

std::string ResolveSoundfont(fluid_settings_t* settings, const std::string& requested) {
  if (!requested.empty()) return IsSoundfontFile(requested) ? requested : std::string();
  if (const std::string path = DefaultSoundfont(settings); IsSoundfontFile(path)) return path;
  return IsSoundfontFile(kFallbackSoundfont) ? kFallbackSoundfont : std::string();
}

std::unique_ptr<FluidEngine> CreateFluidEngine(const SystemOptions& options, MCIERROR& error,
                                               std::string& reason) {
  error = MCIERR_CANNOT_LOAD_DRIVER;
  fluid_settings_t* settings = NewSettings(options);
  if (settings == nullptr) {
    reason = "FluidSynth settings could not be made";
    return nullptr;
  }
  auto engine = std::make_unique<FluidEngine>(settings, new_fluid_synth(settings));
  if (engine->synth() == nullptr) {
    reason = "the FluidSynth synthesiser could not be made";
    return nullptr;
  }
  error = MCIERR_SEQ_NOMIDIPRESENT;
  const std::string soundfont = ResolveSoundfont(settings, options.soundfont);
  if (soundfont.empty()) {
    reason =
        options.soundfont.empty() ? "no soundfont found" : "no soundfont at " + options.soundfont;
    return nullptr;
  }
  if (fluid_synth_sfload(engine->synth(), soundfont.c_str(), 1) == FLUID_FAILED) {
    reason = "the soundfont " + soundfont + " could not be loaded";
    return nullptr;
  }
  error = 0;
  return engine;
}

}  // namespace mci
