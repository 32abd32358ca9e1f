// The window system as Windows gives it: one call per operation, no logic of its own.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/window_system.h"

namespace stackle::win32 {

class Win32WindowSystem final : public WindowSystem {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

  void VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) override;
  WindowRef BottomWindow(WindowRef any) override;
  Text Title(WindowRef window) override;
  Text ClassName(WindowRef window) override;
  bool IsTopMost(WindowRef window) override;
  ShowState ShowStateOf(WindowRef window) override;
  bool Exists(WindowRef window) override;
  bool Place(WindowRef window, InsertAfter where, bool activate) override;
  bool Show(WindowRef window, ShowCommand command) override;
  bool TakeDeferredChanges() override { return std::exchange(deferred_, false); }
  bool BringToForeground(WindowRef window) override;
  bool BringToForegroundSharingInput(WindowRef window) override;
  bool IsModifierKeyDown() override;
  WindowRef ForegroundWindow() override;
  WindowRef LastActivePopup(WindowRef owner) override;
  std::uint32_t CloakOf(WindowRef window) override;
  std::vector<WindowRef> Children(WindowRef window) override;
  WindowRef ShellWindow() override;
  WindowRef Owner(WindowRef window) override;
  std::optional<bool> IsOnVirtualDesktop(WindowRef window) override;
  void RequestClose(WindowRef window, const std::function<bool()>& stop_waiting) override;
  void SetMark(WindowRef window, WindowMark mark, std::uintptr_t value) override;
  std::uintptr_t MarkOf(WindowRef window, WindowMark mark) override;
  bool MarksMayRemain(WindowMark mark) override;
  Layering LayeringOf(WindowRef window) override;
  bool SetLayering(WindowRef window, const Layering& layering) override;
  std::optional<Point> CursorPosition() override;
  WindowRef WindowAt(Point screen) override;
  WindowRef Parent(WindowRef window) override;
  std::optional<Rect> WindowRect(WindowRef window) override;
  void MoveWindow(WindowRef window, const Rect& rect) override;
  bool AnyMonitorShows(const Rect& rect) override;
  Rect NearestWorkArea(const Rect& rect) override;
  ProcessId ProcessOf(WindowRef window) override;
  Text ProgramPath(ProcessId process) override;
  void SetProcessPriority(ProcessId process, PriorityClass priority) override;
  std::optional<std::uint32_t> ProcessPriority(ProcessId process) override;
  ProcessId OwnProcess() override;

 private:
  const wchar_t* Property(WindowMark mark) const;

  bool deferred_ = false;
  // By WindowMark: its property's global atom, and whether it was there before this run.
  std::array<std::uint16_t, kWindowMarkCount> atoms_{};
  std::array<bool, kWindowMarkCount> marks_may_remain_{};
  class VirtualDesktops;
  std::unique_ptr<VirtualDesktops> desktops_;
};

}  // namespace stackle::win32
