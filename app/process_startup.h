// Everything that must exist before the entry function runs, set up in one explicit
// order (static initialisation order across files is not defined, so nothing else here
// has a dynamic initialiser). Torn down in reverse order at exit.
#pragma once

#include <optional>

#include "ui/framework/window_registry.h"

namespace dl {

class ProcessStartup {
 public:
  // In order: the loader's search narrowed to the system folder, the per-monitor DPI awareness
  // (when the manifest did not give it), activation message, drawing
  // library and the program's folder as current directory, window registry, the two tray messages.
  ProcessStartup();
  ~ProcessStartup();
  ProcessStartup(const ProcessStartup&) = delete;
  ProcessStartup& operator=(const ProcessStartup&) = delete;

  // The one live instance (the program defines it before its entry function; a test
  // program defines its own).
  static ProcessStartup& Get();
  WindowRegistry& registry() { return *registry_; }
  bool graphicsStarted() const { return gdiplusToken_ != 0; }

 private:
  unsigned long long gdiplusToken_ = 0;
  std::optional<WindowRegistry> registry_;
};

}  // namespace dl
