#include "platform/sound/music_module.h"

#include <dlfcn.h>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

namespace sound {
namespace {

std::filesystem::path ProgramFolder() {
  std::error_code code;
  auto program = std::filesystem::read_symlink("/proc/self/exe", code);
  return code ? std::filesystem::path() : program.parent_path();
}

}  // namespace

std::string MusicModulePath() {
  const std::filesystem::path folder = ProgramFolder();
  const std::filesystem::path beside = folder / kMusicModuleName;
  std::error_code code;
  if (std::filesystem::exists(beside, code)) return beside.string();
  return (folder / ZORSAV_MODULE_DIR_FROM_BIN / kMusicModuleName).lexically_normal().string();
}

MusicModule::MusicModule(std::string path, NotifyFunction notify)
    : path_(std::move(path)), notify_(notify) {}

MusicModule::~MusicModule() {
  if (interpreter_ != nullptr) api_->destroy(interpreter_);
  // The module stays loaded until the program ends: its libraries may keep exit handlers.
}

void MusicModule::Load() {
  if (tried_) return;
  tried_ = true;
  library_ = dlopen(path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    const char* why = dlerror();
    std::fprintf(stderr, "zorsav: no music: %s\n", why != nullptr ? why : path_.c_str());
    return;
  }
  using Entry = const MusicApi* (*)();
  auto entry = reinterpret_cast<Entry>(dlsym(library_, kMusicApiSymbol));
  api_ = entry != nullptr ? entry() : nullptr;
  if (api_ == nullptr || api_->version != kMusicApiVersion) {
    std::fprintf(stderr, "zorsav: no music: %s is not this program's music module\n",
                 path_.c_str());
    api_ = nullptr;
    return;
  }
  interpreter_ = api_->create(notify_);
}

MCIERROR MusicModule::SendString(LPCSTR command, HWND callback) {
  Load();
  if (interpreter_ == nullptr) return MCIERR_CANNOT_LOAD_DRIVER;
  return api_->send_string(interpreter_, command, callback);
}

}  // namespace sound
