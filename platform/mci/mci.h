// The MCI string-command interpreter: the devices, the command rules and the notifications.
// It plays Standard MIDI Files through a Sequencer; the system one runs on FluidSynth.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/win32/types.h"

namespace mci {

class Sequencer;
struct Command;

// Posts MM_MCINOTIFY(code, device id) to a callback window; called from any thread. It must only
// queue the message (as PostMessage does), never call back into the interpreter.
using NotifyPoster = std::function<void(HWND callback, WPARAM code, LPARAM device_id)>;

// Where the sequencer is in its start-up.
enum class Readiness { kPreparing, kReady, kFailed };

class Interpreter {
 public:
  Interpreter(std::unique_ptr<Sequencer> sequencer, NotifyPoster poster);
  virtual ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Runs one command; 0 on success, an MCIERR_* code otherwise. A failed command posts nothing.
  MCIERROR SendString(std::string_view command, HWND callback);

  // Waits at most `timeout` for the sequencer to finish its start-up, and says how it went.
  Readiness WaitUntilSettled(std::chrono::milliseconds timeout);

 private:
  struct Device;
  struct Pending {
    HWND callback;
  };

  MCIERROR Open(const Command& command);
  MCIERROR Play(Device& device, bool notify, HWND callback);
  void Stop(Device& device, WPARAM code);
  MCIERROR Close(const std::string& key);
  void PostPending(Device& device, WPARAM code);
  void OnEnd(std::uint32_t song, std::uint64_t run);
  void OnFailed();

  std::unique_ptr<Sequencer> sequencer_;
  NotifyPoster poster_;
  std::mutex mutex_;  // guards everything below; the audio side reports ends under it
  std::map<std::string, std::unique_ptr<Device>> devices_;  // by case-folded name
  std::uint32_t next_device_id_ = 1;
  std::uint64_t next_run_ = 1;
  bool closing_ = false;
};

// How the system interpreter finds its soundfont and its audio output.
struct SystemOptions {
  // Empty: FluidSynth's synth.default-soundfont, then /usr/share/sounds/sf2/TimGM6mb.sf2.
  std::string soundfont;
  // FluidSynth's audio.driver.
  std::string audio_driver = "pulseaudio";
  // Frames per audio period (46 ms at 44.1 kHz). FluidSynth's 64-frame default drops out;
  // each period costs a round of wake-ups between the synth's and the sound server's threads,
  // so fewer, longer ones keep the battle theme under 6 % of a core. The songs' own timing
  // does not suffer: their players run on the synth's sample clock.
  int period_frames = 2048;
};

// The interpreter over FluidSynth: starts preparing the synth, soundfont and audio output on a
// background thread at once and returns immediately. Commands sent while it prepares are
// accepted and queued; they sound once it is ready. If preparation fails, every later command
// fails with an error, and notify plays still pending get MCI_NOTIFY_FAILURE.
std::unique_ptr<Interpreter> CreateSystemInterpreter(NotifyPoster poster);
std::unique_ptr<Interpreter> CreateSystemInterpreter(NotifyPoster poster,
                                                     const SystemOptions& options);

}  // namespace mci
