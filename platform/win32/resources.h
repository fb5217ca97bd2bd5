// The program's own resources, embedded in the binary at build time and found by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/win32/types.h"

enum class ResourceKind { kForm, kBitmap, kIcon, kVersion };

struct ResourceEntry {
  const char* name;
  ResourceKind kind;
  const std::uint8_t* data;
  std::size_t size;
};

// The resources built into this binary (generated at build time).
std::span<const ResourceEntry> EmbeddedResources();

// Makes a set of resources the program's own. The program entry registers the embedded
// ones; tests may register others, such as a broken form description.
void RegisterResources(std::span<const ResourceEntry> entries);

// The bytes of the resource of that name (case-insensitive, as resource names are), if any.
std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name,
                                                              ResourceKind kind);
std::optional<std::span<const std::uint8_t>> FindResourceData(std::string_view name);

// The module instance the resources are loaded from.
extern HINSTANCE HInstance;
