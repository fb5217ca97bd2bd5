#include "tests/mci/offline_rig.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

namespace mci::testing {

OfflineRig::OfflineRig(std::filesystem::path raw_file, std::string soundfont)
    : raw_file_(std::move(raw_file)) {
  SystemOptions options;
  options.soundfont = std::move(soundfont);
  options.audio_driver.clear();
  options.period_frames = kBlockFrames;
  auto sequencer = std::make_unique<FluidSequencer>(options);
  sequencer_ = sequencer.get();
  interpreter_ =
      std::make_unique<Interpreter>(std::move(sequencer), [this](HWND, WPARAM code, LPARAM device) {
        posted_.push_back({code, device, seconds()});
      });
}

OfflineRig::~OfflineRig() {
  if (renderer_ != nullptr) delete_fluid_file_renderer(renderer_);
  interpreter_.reset();
}

bool OfflineRig::Ready() {
  return interpreter_->WaitUntilSettled(std::chrono::seconds(60)) == Readiness::kReady;
}

MCIERROR OfflineRig::Send(const std::string& command, HWND callback) {
  return interpreter_->SendString(command, callback);
}

bool OfflineRig::RenderUntil(const std::function<bool()>& done, double max_seconds) {
  const long last = frames_ + static_cast<long>(max_seconds * kSampleRate);
  while (!done()) {
    if (frames_ >= last) return false;
    sequencer_->RenderOffline([this](fluid_synth_t* synth) {
      if (renderer_ == nullptr) {
        fluid_settings_t* settings = fluid_synth_get_settings(synth);
        fluid_settings_setstr(settings, "audio.file.name", raw_file_.c_str());
        fluid_settings_setstr(settings, "audio.file.type", "raw");
        fluid_settings_setstr(settings, "audio.file.format", "float");
        fluid_settings_setstr(settings, "audio.file.endian", "little");
        renderer_ = new_fluid_file_renderer(synth);
      }
      if (renderer_ == nullptr) return;
      fluid_file_renderer_process_block(renderer_);
      frames_ += kBlockFrames;  // before the block's ends are posted, so they carry its end
    });
    if (renderer_ == nullptr) return false;
  }
  return true;
}

bool OfflineRig::RenderFor(double seconds) {
  RenderUntil([] { return false; }, seconds);
  return renderer_ != nullptr;
}

std::vector<float> OfflineRig::Finish() {
  if (renderer_ != nullptr) delete_fluid_file_renderer(renderer_);
  renderer_ = nullptr;
  std::ifstream in(raw_file_, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<float> mono(bytes.size() / (2 * sizeof(float)));
  for (std::size_t i = 0; i < mono.size(); ++i) {
    float frame[2];
    std::memcpy(frame, bytes.data() + i * sizeof(frame), sizeof(frame));
    mono[i] = 0.5f * (frame[0] + frame[1]);
  }
  return mono;
}

double Loudness(const std::vector<float>& samples, double from, double to) {
  const auto begin = static_cast<std::size_t>(std::max(0.0, from) * OfflineRig::kSampleRate);
  const auto end = std::min(samples.size(), static_cast<std::size_t>(to * OfflineRig::kSampleRate));
  if (end <= begin) return 0;
  double sum = 0;
  for (std::size_t i = begin; i < end; ++i) sum += double{samples[i]} * samples[i];
  return std::sqrt(sum / static_cast<double>(end - begin));
}

std::vector<double> QuietStretches(const std::vector<float>& samples, double from, double to,
                                   double window, double threshold) {
  std::vector<double> quiet;
  for (double at = from; at + window <= to; at += window) {
    if (Loudness(samples, at, at + window) < threshold) quiet.push_back(at);
  }
  return quiet;
}

}  // namespace mci::testing
