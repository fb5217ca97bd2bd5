#include "platform/win32/shellapi.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/vcl/backend.h"
#include "platform/vcl/forms.h"
#include "platform/win32/cp932.h"

namespace {

std::mutex g_drops_mutex;
std::map<std::uintptr_t, std::vector<AnsiString>> g_drops;
std::uintptr_t g_next_drop = 1;
int g_stray_finishes = 0;

}  // namespace

void DragAcceptFiles(HWND window, BOOL accept) {
  TForm* form = FindFormByHandle(window);
  if (form != nullptr) CurrentBackend().SetDropsAccepted(*form, accept != FALSE);
}

UINT DragQueryFileA(HDROP drop, UINT index, LPSTR buffer, UINT size) {
  std::lock_guard lock(g_drops_mutex);
  auto it = g_drops.find(reinterpret_cast<std::uintptr_t>(drop));
  if (it == g_drops.end()) return 0;
  const auto& names = it->second;
  if (index == 0xFFFFFFFFu) return static_cast<UINT>(names.size());
  if (index >= names.size()) return 0;
  const std::string& name = names[index].Bytes();
  if (buffer == nullptr || size == 0) return static_cast<UINT>(name.size());
  // A short buffer is cut at a character boundary, never inside a double-byte character.
  std::size_t copied = CharBoundaryPrefix(name, size - 1);
  std::memcpy(buffer, name.data(), copied);
  buffer[copied] = '\0';
  return static_cast<UINT>(copied);
}

void DragFinish(HDROP drop) {
  std::lock_guard lock(g_drops_mutex);
  if (g_drops.erase(reinterpret_cast<std::uintptr_t>(drop)) == 0) ++g_stray_finishes;
}

AnsiString AnsiPathFromDesktop(std::string_view utf8_path) {
  constexpr std::size_t kMaxNameBytes = 254;
  AnsiString name = SjisLossy(utf8_path);
  return AnsiString::FromBytes(
      std::string_view(name.Bytes()).substr(0, CharBoundaryPrefix(name.Bytes(), kMaxNameBytes)));
}

HDROP MakeDropHandle(std::vector<AnsiString> names) {
  std::lock_guard lock(g_drops_mutex);
  std::uintptr_t id = g_next_drop++;
  g_drops.emplace(id, std::move(names));
  return reinterpret_cast<HDROP>(id);
}

int LiveDropHandles() {
  std::lock_guard lock(g_drops_mutex);
  return static_cast<int>(g_drops.size());
}

int StrayDragFinishes() {
  std::lock_guard lock(g_drops_mutex);
  return g_stray_finishes;
}
