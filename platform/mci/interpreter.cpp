#include <optional>
#include <utility>

#include "platform/mci/command.h"
#include "platform/mci/mci.h"
#include "platform/mci/sequencer.h"
#include "platform/mci/song_file.h"

namespace mci {

// One open file. A notify play is pending only while the device plays.
struct Interpreter::Device {
  LPARAM id = 0;
  SongId song = 0;
  bool playing = false;
  RunId run = 0;  // the run the sequencer plays, while playing
  std::optional<Pending> pending;
};

Interpreter::Interpreter(std::unique_ptr<Sequencer> sequencer, NotifyPoster poster)
    : sequencer_(std::move(sequencer)), poster_(std::move(poster)) {
  sequencer_->Start({[this](SongId song, RunId run) { OnEnd(song, run); }, [this] { OnFailed(); }});
}

Interpreter::~Interpreter() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;  // from here on nothing is posted
  }
  sequencer_.reset();  // joins the preparing and audio threads
}

Readiness Interpreter::WaitUntilSettled(std::chrono::milliseconds timeout) {
  return sequencer_->WaitUntilSettled(timeout);
}

MCIERROR Interpreter::SendString(std::string_view text, HWND callback) {
  Command command;
  if (const MCIERROR error = ParseCommand(text, command); error != 0) return error;
  if (command.verb == Verb::kOpen) return Open(command);

  std::lock_guard lock(mutex_);
  // Checked under the lock: a failure reported after this point finds any new pending notify.
  if (const MCIERROR error = sequencer_->Failure(); error != 0) return error;
  const std::string key = DeviceKey(command.device);
  const auto it = devices_.find(key);
  if (it == devices_.end()) return MCIERR_INVALID_DEVICE_NAME;
  Device& device = *it->second;
  switch (command.verb) {
    case Verb::kPlay:
      return Play(device, command.notify, callback);
    case Verb::kSeekToStart:
      Stop(device, MCI_NOTIFY_ABORTED);
      sequencer_->Rewind(device.song);
      return 0;
    case Verb::kStop:
      Stop(device, MCI_NOTIFY_ABORTED);
      sequencer_->Stop(device.song);
      return 0;
    case Verb::kClose:
      return Close(key);
    case Verb::kOpen:
      break;
  }
  return MCIERR_UNRECOGNIZED_COMMAND;
}

MCIERROR Interpreter::Open(const Command& command) {
  const std::string key = DeviceKey(command.device);
  {
    std::lock_guard lock(mutex_);
    if (const MCIERROR error = sequencer_->Failure(); error != 0) return error;
    if (devices_.count(key) != 0) return MCIERR_DEVICE_OPEN;
  }
  // The file is read without the lock, so that the audio side never waits for the disk.
  MCIERROR error = 0;
  auto song = ReadSongFile(command.device, error);
  if (!song) return error;

  std::lock_guard lock(mutex_);
  if (const MCIERROR error = sequencer_->Failure(); error != 0) return error;
  if (devices_.count(key) != 0) return MCIERR_DEVICE_OPEN;
  auto device = std::make_unique<Device>();
  device->id = next_device_id_;
  device->song = next_device_id_;
  ++next_device_id_;
  sequencer_->Load(device->song, std::move(song));
  devices_.emplace(key, std::move(device));
  return 0;
}

// A notify play replaces a pending notify (superseded). A play while the device plays goes on
// with the same run, so a pending notify stays pending and a plain play leaves it in place: it
// still ends successfully when the song reaches its end.
MCIERROR Interpreter::Play(Device& device, bool notify, HWND callback) {
  if (notify) PostPending(device, MCI_NOTIFY_SUPERSEDED);
  if (!device.playing) {
    device.playing = true;
    device.run = next_run_++;
    sequencer_->Play(device.song, device.run);
  }
  if (notify) device.pending = Pending{callback};
  return 0;
}

void Interpreter::Stop(Device& device, WPARAM code) {
  PostPending(device, code);
  device.playing = false;
}

MCIERROR Interpreter::Close(const std::string& key) {
  const auto it = devices_.find(key);
  Stop(*it->second, MCI_NOTIFY_ABORTED);
  sequencer_->Unload(it->second->song);
  devices_.erase(it);
  return 0;
}

void Interpreter::PostPending(Device& device, WPARAM code) {
  if (!device.pending) return;
  const HWND callback = device.pending->callback;
  device.pending.reset();
  if (!closing_) poster_(callback, code, device.id);
}

void Interpreter::OnEnd(SongId song, RunId run) {
  std::lock_guard lock(mutex_);
  for (auto& [key, device] : devices_) {
    if (device->song != song) continue;
    // A stale run (stopped, sought or replaced since) ends nothing: its notify was settled.
    if (!device->playing || device->run != run) return;
    Stop(*device, MCI_NOTIFY_SUCCESSFUL);
    return;
  }
}

void Interpreter::OnFailed() {
  std::lock_guard lock(mutex_);
  for (auto& [key, device] : devices_) Stop(*device, MCI_NOTIFY_FAILURE);
}

}  // namespace mci
