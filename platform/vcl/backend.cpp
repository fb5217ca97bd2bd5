#include "platform/vcl/backend.h"

#include <stdexcept>

namespace {
Backend* g_backend = nullptr;
}

void SetBackend(Backend* backend) { g_backend = backend; }

Backend& CurrentBackend() {
  if (g_backend == nullptr) throw std::logic_error("no backend has been set");
  return *g_backend;
}

Backend* CurrentBackendOrNull() { return g_backend; }
