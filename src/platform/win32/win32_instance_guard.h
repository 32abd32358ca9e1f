// The named mutex that lets only one copy run per session.
#pragma once

#include "app/layer_app.h"
#include "platform/win32/win32_command_link.h"

namespace stackle::win32 {

class Win32InstanceGuard final : public InstanceGuard {
 public:
  bool Claim() override {
    // Create and test in one step: two copies started at the same moment cannot both win,
    // as they could if the name were first looked up and then created. The mutex is never
    // owned; its name stays claimed until this process ends and the handle closes.
    mutex_.reset(::CreateMutexW(nullptr, FALSE, kInstanceName));
    if (mutex_ && ::GetLastError() == ERROR_ALREADY_EXISTS) {
      mutex_.reset();
      return false;
    }
    // Without a mutex (the call failed) the program runs unguarded.
    return true;
  }

 private:
  UniqueHandle mutex_;
};

}  // namespace stackle::win32
