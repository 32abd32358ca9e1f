#include "platform/win32/win32_window_system.h"

#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {

// HWND_TOPMOST and its kin are pointer constants; InsertAfter holds their integer values.
static_assert(static_cast<std::intptr_t>(InsertAfter::kTopMost) == -1 &&
              static_cast<std::intptr_t>(InsertAfter::kNoTopMost) == -2 &&
              static_cast<std::intptr_t>(InsertAfter::kBottom) == 1);
static_assert(static_cast<int>(ShowCommand::kMinimize) == SW_MINIMIZE);
static_assert(static_cast<int>(ShowCommand::kShowNormal) == SW_SHOWNORMAL);
static_assert(static_cast<std::uint32_t>(PriorityClass::kIdle) == IDLE_PRIORITY_CLASS);
static_assert(static_cast<std::uint32_t>(PriorityClass::kRealtime) == REALTIME_PRIORITY_CLASS);

WindowRef Win32WindowSystem::BottomWindow(WindowRef any) {
  return FromHwnd(::GetWindow(ToHwnd(any), GW_HWNDLAST));
}

WindowRef Win32WindowSystem::WindowBelow(WindowRef window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_HWNDNEXT));
}

WindowRef Win32WindowSystem::WindowAbove(WindowRef window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_HWNDPREV));
}

WindowRef Win32WindowSystem::TopWindow() {
  return FromHwnd(::GetTopWindow(nullptr));
}

Text Win32WindowSystem::Title(WindowRef window) {
  // GetWindowText reads another process's title without sending it a message, so a hung
  // program cannot stall the walk.
  const int length = ::GetWindowTextLengthW(ToHwnd(window));
  if (length <= 0) return {};
  Text title(static_cast<std::size_t>(length) + 1, u'\0');
  const int copied =
      ::GetWindowTextW(ToHwnd(window), reinterpret_cast<wchar_t*>(title.data()), length + 1);
  title.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return title;
}

Text Win32WindowSystem::ClassName(WindowRef window) {
  wchar_t name[260];
  const int length = ::GetClassNameW(ToHwnd(window), name, 260);
  return length > 0 ? FromWide(name, static_cast<std::size_t>(length)) : Text();
}

bool Win32WindowSystem::IsTopMost(WindowRef window) {
  return (::GetWindowLongPtrW(ToHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool Win32WindowSystem::IsVisible(WindowRef window) {
  return ::IsWindowVisible(ToHwnd(window)) != FALSE;
}

bool Win32WindowSystem::IsMinimized(WindowRef window) {
  return ::IsIconic(ToHwnd(window));
}

bool Win32WindowSystem::IsMaximized(WindowRef window) {
  return ::IsZoomed(ToHwnd(window));
}

bool Win32WindowSystem::Exists(WindowRef window) {
  return ::IsWindow(ToHwnd(window));
}

void Win32WindowSystem::Place(WindowRef window, InsertAfter where, bool activate) {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | (activate ? 0 : SWP_NOACTIVATE);
  ::SetWindowPos(ToHwnd(window), reinterpret_cast<HWND>(static_cast<std::intptr_t>(where)), 0, 0, 0,
                 0, flags);
}

void Win32WindowSystem::Show(WindowRef window, ShowCommand command) {
  ::ShowWindow(ToHwnd(window), static_cast<int>(command));
}

ProcessId Win32WindowSystem::ProcessOf(WindowRef window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

void Win32WindowSystem::SetProcessPriority(ProcessId process, PriorityClass priority) {
  // Only the right this needs, and not inheritable: Stackle starts no child processes.
  UniqueHandle handle(::OpenProcess(PROCESS_SET_INFORMATION, FALSE, process));
  if (handle) ::SetPriorityClass(handle.get(), static_cast<DWORD>(priority));
}

std::optional<std::uint32_t> Win32WindowSystem::ProcessPriority(ProcessId process) {
  UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  if (!handle) return std::nullopt;
  return ::GetPriorityClass(handle.get());
}

ProcessId Win32WindowSystem::OwnProcess() {
  return ::GetCurrentProcessId();
}

}  // namespace stackle::win32
