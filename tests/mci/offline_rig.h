// The real interpreter over FluidSynth without an audio output: the test renders the audio
// block by block through FluidSynth's file renderer into a raw file, and reads it back.
#pragma once

#include <fluidsynth.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mci/fluid_sequencer.h"
#include "platform/mci/mci.h"

namespace mci::testing {

inline constexpr char kTestSoundfont[] = "/usr/share/sounds/sf2/TimGM6mb.sf2";

class OfflineRig {
 public:
  static constexpr int kSampleRate = 44100;
  static constexpr int kBlockFrames = 256;

  struct Posted {
    WPARAM code;
    LPARAM device;
    double at;  // seconds of audio rendered when it was posted
  };

  explicit OfflineRig(std::filesystem::path raw_file, std::string soundfont = kTestSoundfont);
  ~OfflineRig();

  // Waits for the synth and soundfont.
  bool Ready();
  MCIERROR Send(const std::string& command, HWND callback = nullptr);

  // Renders one block at a time until `done` holds or `max_seconds` more have been rendered;
  // true when `done` held.
  bool RenderUntil(const std::function<bool()>& done, double max_seconds);
  bool RenderFor(double seconds);

  double seconds() const { return static_cast<double>(frames_) / kSampleRate; }
  const std::vector<Posted>& posted() const { return posted_; }

  // Ends the rendering and returns the mono mix of what was rendered, as floats in [-1, 1].
  std::vector<float> Finish();

 private:
  std::filesystem::path raw_file_;
  FluidSequencer* sequencer_ = nullptr;
  std::unique_ptr<Interpreter> interpreter_;
  fluid_file_renderer_t* renderer_ = nullptr;
  long frames_ = 0;
  std::vector<Posted> posted_;
};

// The root mean square of the samples in [from, to) seconds.
double Loudness(const std::vector<float>& samples, double from, double to);

// The start times of the `window`-second stretches in [from, to) quieter than `threshold`.
std::vector<double> QuietStretches(const std::vector<float>& samples, double from, double to,
                                   double window, double threshold);

}  // namespace mci::testing
