#include "platform/win32/resources.h"

#include <cctype>

HINSTANCE HInstance = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(0x400000));

namespace {

std::span<const ResourceEntry> g_resources;

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

const ResourceEntry* Find(std::string_view name, const ResourceKind* kind) {
  for (const ResourceEntry& entry : g_resources) {
    if (SameName(entry.name, name) && (kind == nullptr || entry.kind == *kind)) return &entry;
  }
  return nullptr;
}

}  // namespace

void RegisterResources(std::span<const ResourceEntry> entries) { g_resources = entries; }

std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name,
                                                              ResourceKind kind) {
  const ResourceEntry* entry = Find(name, &kind);
  if (entry == nullptr) return std::nullopt;
  return std::span<const std::uint8_t>(entry->data, entry->size);
}

std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name) {
  const ResourceEntry* entry = Find(name, nullptr);
  if (entry == nullptr) return std::nullopt;
  return std::span<const std::uint8_t>(entry->data, entry->size);
}
