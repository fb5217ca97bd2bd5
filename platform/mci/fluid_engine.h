// The FluidSynth synthesiser with its soundfont loaded: made once, at start-up.
#pragma once

#include <fluidsynth.h>

#include <memory>
#include <string>

#include "platform/mci/mci.h"

namespace mci {

// Settings and synth, freed in the right order.
class FluidEngine {
 public:
  FluidEngine(fluid_settings_t* settings, fluid_synth_t* synth);
  ~FluidEngine();
  FluidEngine(const FluidEngine&) = delete;
  FluidEngine& operator=(const FluidEngine&) = delete;

  fluid_settings_t* settings() const { return settings_; }
  fluid_synth_t* synth() const { return synth_; }

 private:
  fluid_settings_t* settings_;
  fluid_synth_t* synth_;
};

// Turns FluidSynth's own log off, for the whole process.
void QuietFluidSynthLog();

// The soundfont to load: `requested` if given, else FluidSynth's synth.default-soundfont if it
// exists, else the TimGM6mb fallback. Empty when there is none.
std::string ResolveSoundfont(fluid_settings_t* settings, const std::string& requested);

// Makes the synth and loads the soundfont. Returns nothing, with `error` and `reason` set, when
// that fails. The audio settings of `options` are written for a driver made later.
std::unique_ptr<FluidEngine> CreateFluidEngine(const SystemOptions& options, MCIERROR& error,
                                               std::string& reason);

}  // namespace mci
