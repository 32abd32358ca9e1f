// Window events of other programs, heard through an out-of-context window-event hook.
#pragma once

#include <windows.h>

#include <vector>

#include "core/window_events.h"
#include "platform/win32/win32_dialog.h"

namespace stackle::win32 {

class Win32WindowEvents final : public WindowEvents {
 public:
  explicit Win32WindowEvents(const OwnWindow& dialog) : dialog_(dialog) {}
  ~Win32WindowEvents() override { Listen(false); }
  Win32WindowEvents(const Win32WindowEvents&) = delete;
  Win32WindowEvents& operator=(const Win32WindowEvents&) = delete;

  void Listen(bool on) override;
  std::vector<WindowRef> TakeAnnounced() override;

 private:
  static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object,
                               LONG child, DWORD thread, DWORD time);

  const OwnWindow& dialog_;
  std::vector<HWINEVENTHOOK> hooks_;
  std::vector<WindowRef> queue_;
  bool posted_ = false;
};

}  // namespace stackle::win32
