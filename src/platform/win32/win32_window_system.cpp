#include "platform/win32/win32_window_system.h"

// After <windows.h>, which they need.
#include <objbase.h>
#include <unknwn.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "platform/win32/system_function.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {
namespace {

// The name of each mark's window property. A mark lives on the window, so that it outlives a
// killed Stackle; the names stay as they are, so that the next release still finds them.
const wchar_t* PropertyName(WindowMark mark) {
  switch (mark) {
    case WindowMark::kHidden:
      return L"Stackle.Hidden";
    case WindowMark::kRulePinned:
      return L"Stackle.RulePinned";
    case WindowMark::kTranslucent:
      return L"Stackle.Translucent";
  }
  return L"Stackle.Unknown";
}

// The longest title read whole, in characters: far beyond any caption a window shows.
constexpr int kMaxTitleRead = 1 << 20;

// The close requests whose program has not handled them yet, by number. Waits nest (Stackle
// answers commands while it waits), and each ends only with its own answer; a request given up
// on leaves the list, so that its late answer finds nothing.
std::uint64_t close_requests_sent = 0;
std::vector<std::uint64_t> close_requests_awaited;

void CALLBACK OnCloseHandled(HWND, UINT, ULONG_PTR request, LRESULT) {
  std::erase(close_requests_awaited, request);
}

// Waits until close request `request` to `target` is handled, handling Stackle's own messages
// meanwhile, so that a program that asks its user first is waited for, and one that has stopped
// responding is given up on.
void AwaitClose(HWND target, std::uint64_t request, const std::function<bool()>& stop_waiting) {
  const auto waiting = [&] {
    return std::ranges::count(close_requests_awaited, request) != 0 && !stop_waiting();
  };
  while (waiting() && ::IsWindow(target) && !::IsHungAppWindow(target)) {
    ::MsgWaitForMultipleObjectsEx(0, nullptr, 100, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (waiting() && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));
        return;
      }
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

// Placing or showing another thread's window waits for that thread. A program Windows reports
// as not responding, or one that does not answer at once (it may have stopped just now, which
// Windows reports only after five seconds), would hold Stackle: its window is changed without
// waiting.
bool AnswersAtOnce(HWND window) {
  if (::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId()) return true;
  DWORD_PTR ignored = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored) != 0;
}

// IVirtualDesktopManager, as the shell declares it; MinGW's headers declare it only to builds
// that require Windows 10.
struct VirtualDesktopManager : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE IsWindowOnCurrentVirtualDesktop(HWND window, BOOL* on) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetWindowDesktopId(HWND window, GUID* desktop) = 0;
  virtual HRESULT STDMETHODCALLTYPE MoveWindowToDesktop(HWND window, REFGUID desktop) = 0;
};
constexpr CLSID kVirtualDesktopManagerClass = {
    0xaa509086, 0x5ca9, 0x4c25, {0x8f, 0x95, 0x58, 0x9d, 0x3c, 0x07, 0xb4, 0x8a}};
constexpr IID kVirtualDesktopManagerInterface = {
    0xa5cd92ff, 0x29be, 0x454c, {0x8d, 0x04, 0xd8, 0x28, 0x79, 0xfb, 0x3f, 0x1b}};

}  // namespace

// The shell's virtual desktop manager, made when a walk first meets a window the shell cloaked,
// on that thread, with COM set up there for it; ole32 is loaded only then. There is none before
// Windows 10, nor under Wine.
class Win32WindowSystem::VirtualDesktops {
 public:
  VirtualDesktops() {
    static const auto initialize =
        SystemFunction<decltype(&::CoInitializeEx)>(L"ole32.dll", "CoInitializeEx");
    static const auto create =
        SystemFunction<decltype(&::CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
    if (!initialize || !create) return;
    // A thread where COM was set up otherwise still serves it; only a join is undone.
    joined_ = SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED));
    void* manager = nullptr;
    if (SUCCEEDED(create(kVirtualDesktopManagerClass, nullptr, CLSCTX_ALL,
                         kVirtualDesktopManagerInterface, &manager))) {
      manager_ = static_cast<VirtualDesktopManager*>(manager);
    }
  }
  ~VirtualDesktops() {
    static const auto uninitialize =
        SystemFunction<decltype(&::CoUninitialize)>(L"ole32.dll", "CoUninitialize");
    if (manager_) manager_->Release();
    if (joined_ && uninitialize) uninitialize();
  }
  VirtualDesktops(const VirtualDesktops&) = delete;
  VirtualDesktops& operator=(const VirtualDesktops&) = delete;

  VirtualDesktopManager* Manager() const { return manager_; }

 private:
  VirtualDesktopManager* manager_ = nullptr;
  bool joined_ = false;
};

// Each mark's property is named by its global atom, which spares a lookup of the name at every
// call: under Wine one more round trip to the window server for each window a walk looks at.
// This run holds a reference to each atom until it ends, having taken its marks off again; a
// killed run never lets go of its reference, so the atom is there for the next run to find.
Win32WindowSystem::Win32WindowSystem() {
  for (std::size_t i = 0; i < atoms_.size(); ++i) {
    const wchar_t* name = PropertyName(static_cast<WindowMark>(i));
    marks_may_remain_[i] = ::GlobalFindAtomW(name) != 0;
    atoms_[i] = ::GlobalAddAtomW(name);
  }
}

Win32WindowSystem::~Win32WindowSystem() {
  for (ATOM atom : atoms_) {
    if (atom) ::GlobalDeleteAtom(atom);
  }
}

const wchar_t* Win32WindowSystem::Property(WindowMark mark) const {
  const auto i = static_cast<std::size_t>(mark);
  return i < atoms_.size() && atoms_[i] ? MAKEINTATOM(atoms_[i]) : PropertyName(mark);
}

bool Win32WindowSystem::MarksMayRemain(WindowMark mark) {
  const auto i = static_cast<std::size_t>(mark);
  return i >= marks_may_remain_.size() || marks_may_remain_[i];
}

// HWND_TOPMOST and its kin are pointer constants; InsertAfter holds their integer values.
static_assert(static_cast<std::intptr_t>(InsertAfter::kTopMost) == -1 &&
              static_cast<std::intptr_t>(InsertAfter::kNoTopMost) == -2 &&
              static_cast<std::intptr_t>(InsertAfter::kBottom) == 1);
static_assert(static_cast<int>(ShowCommand::kMinimize) == SW_MINIMIZE);
static_assert(static_cast<int>(ShowCommand::kShowNormal) == SW_SHOWNORMAL);
static_assert(static_cast<std::uint32_t>(PriorityClass::kIdle) == IDLE_PRIORITY_CLASS);
static_assert(static_cast<std::uint32_t>(PriorityClass::kRealtime) == REALTIME_PRIORITY_CLASS);
static_assert(kLayeredColorKey == LWA_COLORKEY && kLayeredAlpha == LWA_ALPHA);

void Win32WindowSystem::VisitTopLevelWindows(const std::function<bool(WindowRef)>& visit) {
  // Listed at once: a walk that asked for each next window in turn ended at one destroyed
  // meanwhile, and lost every window below it. The desktop's list comes in one request, where
  // EnumWindows asks again whether each window still exists (under Wine, the window server
  // each time); one destroyed since reads as hidden.
  ::EnumDesktopWindows(
      nullptr,
      [](HWND window, LPARAM visit) -> BOOL {
        return (*reinterpret_cast<const std::function<bool(WindowRef)>*>(visit))(FromHwnd(window));
      },
      reinterpret_cast<LPARAM>(&visit));
}

WindowRef Win32WindowSystem::BottomWindow(WindowRef any) {
  return FromHwnd(::GetWindow(ToHwnd(any), GW_HWNDLAST));
}

Text Win32WindowSystem::Title(WindowRef window) {
  // GetWindowText reads another process's title without sending it a message, so a hung
  // program cannot stall the walk. The length is found by reading, not by asking first: most
  // titles fit the first buffer in one call, and a longer one is read again into a buffer
  // twice as large.
  const HWND hwnd = ToHwnd(window);
  wchar_t first[256];
  int copied = ::GetWindowTextW(hwnd, first, 256);
  if (copied < 255) return FromWide(first, copied > 0 ? static_cast<std::size_t>(copied) : 0);
  std::wstring longer;
  for (int size = 512; size <= kMaxTitleRead; size *= 2) {
    longer.resize(static_cast<std::size_t>(size));
    copied = ::GetWindowTextW(hwnd, longer.data(), size);
    if (copied < size - 1) break;
  }
  return FromWide(longer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

Text Win32WindowSystem::ClassName(WindowRef window) {
  wchar_t name[260];
  const int length = ::GetClassNameW(ToHwnd(window), name, 260);
  return length > 0 ? FromWide(name, static_cast<std::size_t>(length)) : Text();
}

bool Win32WindowSystem::IsTopMost(WindowRef window) {
  return (::GetWindowLongPtrW(ToHwnd(window), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

ShowState Win32WindowSystem::ShowStateOf(WindowRef window) {
  // One read of the style: for a top-level window, whose parent is the desktop, what
  // IsWindowVisible, IsIconic and IsZoomed say together. Under Wine IsWindowVisible alone asks
  // the window server twice about a shown window.
  const auto style = static_cast<std::uint64_t>(::GetWindowLongPtrW(ToHwnd(window), GWL_STYLE));
  return {.visible = (style & WS_VISIBLE) != 0,
          .minimized = (style & WS_MINIMIZE) != 0,
          .maximized = (style & WS_MAXIMIZE) != 0};
}

bool Win32WindowSystem::Exists(WindowRef window) {
  return ::IsWindow(ToHwnd(window));
}

bool Win32WindowSystem::Place(WindowRef window, InsertAfter where, bool activate) {
  UINT flags = SWP_NOSIZE | SWP_NOMOVE | (activate ? 0 : SWP_NOACTIVATE);
  if (!AnswersAtOnce(ToHwnd(window))) {
    flags |= SWP_ASYNCWINDOWPOS;
    deferred_ = true;
  }
  return ::SetWindowPos(ToHwnd(window), reinterpret_cast<HWND>(static_cast<std::intptr_t>(where)),
                        0, 0, 0, 0, flags) != FALSE;
}

bool Win32WindowSystem::Show(WindowRef window, ShowCommand command) {
  const HWND hwnd = ToHwnd(window);
  if (!AnswersAtOnce(hwnd)) {
    // Not hidden: hidden later, when its program recovers, it would escape the list of
    // windows Stackle hid. Every other change is harmless whenever it happens.
    if (command == ShowCommand::kHide) return false;
    deferred_ = true;
    return ::ShowWindowAsync(hwnd, static_cast<int>(command)) != FALSE;
  }
  ::ShowWindow(hwnd, static_cast<int>(command));
  // ShowWindow tells the window's former state, not whether it changed: a program run as
  // administrator ignores a normal one. The state it is in now says it.
  switch (command) {
    case ShowCommand::kHide:
      return !::IsWindowVisible(hwnd);
    case ShowCommand::kShowNormal:
      return ::IsWindowVisible(hwnd) && !::IsIconic(hwnd) && !::IsZoomed(hwnd);
    case ShowCommand::kMaximize:
      return ::IsZoomed(hwnd) != FALSE;
    case ShowCommand::kMinimize:
      return ::IsIconic(hwnd) != FALSE;
    case ShowCommand::kShow:
      return ::IsWindowVisible(hwnd) != FALSE;
  }
  return true;
}

WindowRef Win32WindowSystem::ForegroundWindow() {
  return FromHwnd(::GetForegroundWindow());
}

WindowRef Win32WindowSystem::LastActivePopup(WindowRef owner) {
  return FromHwnd(::GetLastActivePopup(ToHwnd(owner)));
}

bool Win32WindowSystem::BringToForeground(WindowRef window) {
  const HWND target = ToHwnd(window);
  return ::SetForegroundWindow(target) || ::GetForegroundWindow() == target;
}

bool Win32WindowSystem::BringToForegroundSharingInput(WindowRef window) {
  // Never with a program that has stopped responding, whose input state would block Stackle's.
  const HWND target = ToHwnd(window);
  const HWND foreground = ::GetForegroundWindow();
  if (!foreground || ::IsHungAppWindow(foreground)) return false;
  const DWORD own = ::GetCurrentThreadId();
  const DWORD other = ::GetWindowThreadProcessId(foreground, nullptr);
  if (other == own || !::AttachThreadInput(own, other, TRUE)) return false;
  const bool brought = ::SetForegroundWindow(target) != FALSE;
  ::AttachThreadInput(own, other, FALSE);
  return brought || ::GetForegroundWindow() == target;
}

bool Win32WindowSystem::IsModifierKeyDown() {
  for (const int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LWIN, VK_RWIN}) {
    if (::GetAsyncKeyState(key) & 0x8000) return true;
  }
  return false;
}

std::uint32_t Win32WindowSystem::CloakOf(WindowRef window) {
  // Loaded on first use; without it (or where the call fails) nothing is cloaked.
  static const auto get_attribute = SystemFunction<HRESULT(WINAPI*)(HWND, DWORD, void*, DWORD)>(
      L"dwmapi.dll", "DwmGetWindowAttribute");
  constexpr DWORD kDwmwaCloaked = 14;
  DWORD cloaked = 0;
  if (!get_attribute ||
      FAILED(get_attribute(ToHwnd(window), kDwmwaCloaked, &cloaked, sizeof cloaked))) {
    return 0;
  }
  return cloaked;
}

std::vector<WindowRef> Win32WindowSystem::Children(WindowRef window) {
  // A Store app's frame holds a handful; the bound only guards against a list that keeps
  // changing under the walk.
  std::vector<WindowRef> children;
  for (HWND child = ::GetWindow(ToHwnd(window), GW_CHILD); child && children.size() < 256;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(FromHwnd(child));
  }
  return children;
}

WindowRef Win32WindowSystem::ShellWindow() {
  return FromHwnd(::GetShellWindow());
}

WindowRef Win32WindowSystem::Owner(WindowRef window) {
  return FromHwnd(::GetWindow(ToHwnd(window), GW_OWNER));
}

std::optional<bool> Win32WindowSystem::IsOnVirtualDesktop(WindowRef window) {
  if (!desktops_) desktops_ = std::make_unique<VirtualDesktops>();
  GUID desktop{};
  VirtualDesktopManager* manager = desktops_->Manager();
  if (!manager || FAILED(manager->GetWindowDesktopId(ToHwnd(window), &desktop))) {
    return std::nullopt;
  }
  return desktop != GUID{};
}

void Win32WindowSystem::RequestClose(WindowRef window, const std::function<bool()>& stop_waiting) {
  const HWND target = ToHwnd(window);
  const std::uint64_t request = ++close_requests_sent;
  // Awaited before it is sent: a window of this thread handles it, and answers, at once.
  close_requests_awaited.push_back(request);
  if (::SendMessageCallbackW(target, WM_CLOSE, 0, 0, OnCloseHandled,
                             static_cast<ULONG_PTR>(request))) {
    AwaitClose(target, request, stop_waiting);
  }
  std::erase(close_requests_awaited, request);
}

void Win32WindowSystem::SetMark(WindowRef window, WindowMark mark, std::uintptr_t value) {
  if (value) {
    ::SetPropW(ToHwnd(window), Property(mark), reinterpret_cast<HANDLE>(value));
  } else {
    ::RemovePropW(ToHwnd(window), Property(mark));
  }
}

std::uintptr_t Win32WindowSystem::MarkOf(WindowRef window, WindowMark mark) {
  return reinterpret_cast<std::uintptr_t>(::GetPropW(ToHwnd(window), Property(mark)));
}

std::optional<Point> Win32WindowSystem::CursorPosition() {
  POINT p;
  if (!::GetCursorPos(&p)) return std::nullopt;
  return Point{p.x, p.y};
}

WindowRef Win32WindowSystem::WindowAt(Point screen) {
  return FromHwnd(::WindowFromPoint(POINT{screen.x, screen.y}));
}

WindowRef Win32WindowSystem::Parent(WindowRef window) {
  return FromHwnd(::GetParent(ToHwnd(window)));
}

std::optional<Rect> Win32WindowSystem::WindowRect(WindowRef window) {
  RECT r;
  if (!::GetWindowRect(ToHwnd(window), &r)) return std::nullopt;
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32WindowSystem::MoveWindow(WindowRef window, const Rect& rect) {
  ::MoveWindow(ToHwnd(window), rect.left, rect.top, rect.Width(), rect.Height(), TRUE);
}

bool Win32WindowSystem::AnyMonitorShows(const Rect& rect) {
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  return ::MonitorFromRect(&r, MONITOR_DEFAULTTONULL) != nullptr;
}

Rect Win32WindowSystem::NearestWorkArea(const Rect& rect) {
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoW(::MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &info)) {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return {area.left, area.top, area.right, area.bottom};
  }
  return {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

ProcessId Win32WindowSystem::ProcessOf(WindowRef window) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(ToHwnd(window), &process);
  return process;
}

Layering Win32WindowSystem::LayeringOf(WindowRef window) {
  const HWND hwnd = ToHwnd(window);
  if (!(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return {};
  COLORREF key = 0;
  BYTE alpha = 255;
  DWORD flags = 0;
  // Fails for a window that draws itself through UpdateLayeredWindow.
  if (!::GetLayeredWindowAttributes(hwnd, &key, &alpha, &flags)) return {.layered = true};
  return {.layered = true, .readable = true, .alpha = alpha, .color_key = key, .flags = flags};
}

bool Win32WindowSystem::SetLayering(WindowRef window, const Layering& layering) {
  const HWND hwnd = ToHwnd(window);
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  const LONG_PTR wanted = layering.layered ? style | WS_EX_LAYERED : style & ~WS_EX_LAYERED;
  if (wanted != style) {
    // Refused across integrity levels: the style reads back unchanged.
    ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, wanted);
    if ((::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) ^ wanted) & WS_EX_LAYERED) return false;
  }
  if (!layering.layered) return true;
  return ::SetLayeredWindowAttributes(hwnd, layering.color_key, layering.alpha, layering.flags) !=
         FALSE;
}

Text Win32WindowSystem::ProgramPath(ProcessId process) {
  // The least right that reads the path, which Windows grants also for most programs run as
  // administrator.
  UniqueHandle handle(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
  wchar_t path[MAX_PATH * 2];
  DWORD length = MAX_PATH * 2;
  if (!handle || !::QueryFullProcessImageNameW(handle.get(), 0, path, &length)) return {};
  return FromWide(path, length);
}

void Win32WindowSystem::SetProcessPriority(ProcessId process, PriorityClass priority) {
  // Only the right this needs, and not inheritable: Stackle starts no child processes.
  UniqueHandle handle(::OpenProcess(PROCESS_SET_INFORMATION, FALSE, process));
  if (handle) ::SetPriorityClass(handle.get(), static_cast<DWORD>(priority));
}

std::optional<std::uint32_t> Win32WindowSystem::ProcessPriority(ProcessId process) {
  // Opened as the per-window menu will use it: to read the class and to set it.
  UniqueHandle handle(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_SET_INFORMATION, FALSE, process));
  if (!handle) return std::nullopt;
  return ::GetPriorityClass(handle.get());
}

ProcessId Win32WindowSystem::OwnProcess() {
  return ::GetCurrentProcessId();
}

}  // namespace stackle::win32
