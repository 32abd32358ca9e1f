// Start-up and exit: one copy at a time, the main dialog run modally for the program's life.
#pragma once

#include "app/layer_dialog.h"

namespace stackle {

// Claims the program's single-instance name for as long as the process runs.
class InstanceGuard {
 public:
  virtual ~InstanceGuard() = default;
  // False when another copy already holds the name.
  virtual bool Claim() = 0;
};

struct Platform {
  WindowSystem& windows;
  DialogHost& dialog;
  FileStore& files;
  InstanceGuard& guard;
};

class CLayerApp {
 public:
  explicit CLayerApp(Platform platform) : platform_(platform) {}

  // Runs the main dialog unless another copy is running. Always false: there is no message
  // loop after the dialog.
  bool InitInstance();
  int ExitInstance() { return 0; }

 private:
  Platform platform_;
};

}  // namespace stackle
