#include "e2e_support.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "res/resource.h"

namespace stackle::e2e {

bool WaitUntil(const std::function<bool()>& condition, Duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

TempDir::TempDir() {
  static int count = 0;
  path_ =
      std::filesystem::temp_directory_path() /
      (L"stackle-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(const std::filesystem::path& name, std::string_view bytes) const {
  std::ofstream(path_ / name, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

std::string TempDir::Read(const std::filesystem::path& name) const {
  std::ifstream file(path_ / name, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

Process::Process(const std::wstring& program, const std::filesystem::path& current_directory) {
  std::wstring command_line = L"\"" + program + L"\"";
  STARTUPINFOW startup{.cb = sizeof(STARTUPINFOW)};
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      current_directory.c_str(), &startup, &info_)) {
    throw std::runtime_error("cannot start stackle.exe");
  }
}

Process::~Process() {
  Terminate();
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::WaitForExit(Duration timeout) const {
  return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Process::Terminate() {
  if (Running() && TerminateProcess(info_.hProcess, 1)) WaitForExit();
}

namespace {

HWND CreateTestWindow(const TestWindow& request, int index) {
  WNDCLASSEXW window_class{.cbSize = sizeof(WNDCLASSEXW),
                           .lpfnWndProc = DefWindowProcW,
                           .hInstance = GetModuleHandleW(nullptr),
                           .hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1),
                           .lpszClassName = request.class_name.c_str()};
  RegisterClassExW(&window_class);  // fails harmlessly once registered
  const int at = 40 + 20 * (index % 16);
  const HWND window = CreateWindowExW(
      request.topmost ? WS_EX_TOPMOST : 0, request.class_name.c_str(), request.title.c_str(),
      WS_OVERLAPPEDWINDOW, at, at, 320, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (request.control) {
    CreateWindowExW(0, L"BUTTON", L"Control", WS_CHILD | WS_VISIBLE, 10, 10, 150, 40, window,
                    nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  if (!request.hidden) {
    // Without activation, so that Stackle's dialog keeps the foreground.
    ShowWindow(window, request.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Wine can restack a window as it first paints it: paint it before the next one comes.
    UpdateWindow(window);
  }
  return window;
}

}  // namespace

Helper::Helper(std::vector<TestWindow> requests, bool churn)
    : thread_([this, requests = std::move(requests), churn] { Run(requests, churn); }) {
  if (!WaitUntil([&] { return ready_.load(); })) throw std::runtime_error("no helper windows");
}

Helper::~Helper() {
  stop_ = true;
  PostThreadMessageW(thread_id_, WM_NULL, 0, 0);
  thread_.join();
}

bool Helper::Owns(HWND window) const {
  return window && GetWindowThreadProcessId(window, nullptr) == thread_id_;
}

void Helper::Hang() {
  hung_ = true;
  PostThreadMessageW(thread_id_, WM_NULL, 0, 0);
}

void Helper::Run(const std::vector<TestWindow>& requests, bool churn) {
  thread_id_ = GetCurrentThreadId();
  for (const TestWindow& request : requests) {
    windows_.push_back(CreateTestWindow(request, static_cast<int>(windows_.size())));
  }
  std::vector<HWND> churned;
  int churn_count = 0;
  MSG message;
  const auto pump = [&] {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&message);
  };
  pump();
  ready_ = true;
  while (!stop_) {
    if (hung_) {
      Sleep(10);
      continue;
    }
    pump();
    if (churn) {
      // A new window on top, now and then one retitled, the oldest gone past six.
      const int n = ++churn_count;
      churned.push_back(CreateTestWindow({.title = L"Churn " + std::to_wstring(n)}, n));
      if (n % 3 == 0) SetWindowTextW(churned.front(), L"Churn retitled");
      if (churned.size() > 6) {
        DestroyWindow(churned.front());
        churned.erase(churned.begin());
      }
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, churn ? 1 : INFINITE, QS_ALLINPUT);
  }
  for (HWND window : windows_)
    DestroyWindow(window);
  for (HWND window : churned)
    DestroyWindow(window);
}

void PrintTo(const ListEntry& entry, std::ostream* out) {
  *out << testing::PrintToString(entry.label) << " @" << static_cast<const void*>(entry.window);
}

std::vector<HWND> ZOrder() {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
    windows.push_back(window);
  }
  return windows;
}

bool Above(HWND upper, HWND lower) {
  const std::vector<HWND> z = ZOrder();
  return std::ranges::find(z, upper) < std::ranges::find(z, lower);
}

bool IsTopMost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

namespace {

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

}  // namespace

std::vector<HWND> WindowsOf(DWORD process_id, std::wstring_view class_name) {
  std::vector<HWND> found;
  for (HWND window : ZOrder()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_id && IsWindowVisible(window) && ClassName(window) == class_name) {
      found.push_back(window);
    }
  }
  return found;
}

Stackle::Stackle(const TempDir& dir) : process_(StacklePath(), dir.path()) {
  const bool shown = WaitUntil([&] {
    const auto dialogs = WindowsOf(process_.id(), L"#32770");
    dialog_ = dialogs.empty() ? nullptr : dialogs.front();
    return !process_.Running() || (dialog_ && GetForegroundWindow() == dialog_);
  });
  if (!shown || !process_.Running()) throw std::runtime_error("Stackle's dialog did not come");
}

Stackle::~Stackle() {
  if (!process_.Running()) return;
  PostMessageW(dialog_, WM_CLOSE, 0, 0);
  process_.WaitForExit();
}

std::optional<LRESULT> Stackle::Send(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) const {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                           static_cast<UINT>(kTimeout.count()), &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

bool Stackle::Settle() const {
  // Messages posted to the list are handled in order: once this mark is, so is the rest.
  static WPARAM mark = 4000;
  const WPARAM expected = ++mark;
  const HWND list = Control(IDC_WINDOW_LIST);
  return PostMessageW(list, LB_SETHORIZONTALEXTENT, expected, 0) && WaitUntil([&] {
           return !process_.Running() || Send(list, LB_GETHORIZONTALEXTENT) == LRESULT(expected);
         }) &&
         process_.Running();
}

std::vector<ListEntry> Stackle::List() const {
  // A rebuild in the middle of the read starts it over.
  const HWND list = Control(IDC_WINDOW_LIST);
  for (int attempt = 0; attempt < 5 && process_.Running(); ++attempt) {
    const auto count = Send(list, LB_GETCOUNT);
    std::vector<ListEntry> entries;
    for (WPARAM i = 0; count && i < WPARAM(*count); ++i) {
      const auto length = Send(list, LB_GETTEXTLEN, i).value_or(LB_ERR);
      std::wstring label(std::max<LRESULT>(length, 0) + 1, L'\0');
      const auto copied = Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(label.data()));
      const auto data = Send(list, LB_GETITEMDATA, i);
      if (length == LB_ERR || copied != length || !data || *data == LB_ERR) break;
      label.resize(length);
      entries.push_back({label, reinterpret_cast<HWND>(*data)});
    }
    if (count && entries.size() == std::size_t(*count) && Send(list, LB_GETCOUNT) == count) {
      return entries;
    }
  }
  return {};
}

std::vector<std::wstring> Stackle::Labels(const Helper& helper) const {
  std::vector<std::wstring> labels;
  for (const ListEntry& entry : List()) {
    if (helper.Owns(entry.window)) labels.push_back(entry.label);
  }
  return labels;
}

std::optional<int> Stackle::IndexOf(HWND window) const {
  const std::vector<ListEntry> list = List();
  const auto it = std::ranges::find(list, window, &ListEntry::window);
  if (it == list.end()) return std::nullopt;
  return static_cast<int>(it - list.begin());
}

bool Stackle::Select(HWND window) const {
  const auto index = IndexOf(window);
  const HWND list = Control(IDC_WINDOW_LIST);
  return index && Send(list, LB_SETCURSEL, *index) == *index &&
         Send(dialog_, WM_COMMAND, MAKEWPARAM(IDC_WINDOW_LIST, LBN_SELCHANGE),
              reinterpret_cast<LPARAM>(list));
}

void Stackle::PressKey(UINT virtual_key) const {
  PostMessageW(Control(IDC_WINDOW_LIST), WM_KEYDOWN, virtual_key, 1);
  PostMessageW(Control(IDC_WINDOW_LIST), WM_KEYUP, virtual_key, 0xC0000001);
}

HWND Stackle::OpenMenu(UINT message, WPARAM wparam, LPARAM lparam) const {
  // The user clicks the dialog before using it; a menu opened while the dialog's activation is
  // still on its way is cancelled by it.
  if (IsWindowVisible(dialog_) && !WaitUntil([&] {
        return GetForegroundWindow() == dialog_ || (SetForegroundWindow(dialog_), false);
      })) {
    return nullptr;
  }
  PostMessageW(dialog_, message, wparam, lparam);
  HWND menu = nullptr;
  WaitUntil([&] {
    const auto menus = WindowsOf(process_.id(), L"#32768");
    menu = menus.empty() ? nullptr : menus.front();
    return menu != nullptr;
  });
  return menu;
}

HWND Stackle::OpenWindowMenu(HWND window) const {
  const HWND list = Control(IDC_WINDOW_LIST);
  const auto index = IndexOf(window);
  RECT item{};
  if (!index || Send(list, LB_GETITEMRECT, *index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) {
    return nullptr;
  }
  POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ClientToScreen(list, &at);
  SetCursorPos(at.x, at.y);
  // Stackle reads the pointer itself, and may still see it where it was: a menu opened for
  // another entry is dismissed and asked for again.
  for (int attempt = 0; attempt < 10; ++attempt) {
    const HWND menu = OpenMenu(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), 0);
    if (!menu || Send(list, LB_GETCURSEL) == *index) return menu;
    Choose(menu, {VK_ESCAPE});
  }
  return nullptr;
}

bool Stackle::Choose(HWND menu, const std::vector<UINT>& keys) const {
  if (!menu) return false;
  for (const UINT key : keys) {
    // A mnemonic as the character it types, so that a stray mouse move cannot unselect it.
    if (key >= 'A' && key <= 'Z') {
      PostMessageW(menu, WM_CHAR, key, 1);
      continue;
    }
    PostMessageW(menu, WM_KEYDOWN, key, 1);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
  }
  // The menu posts its command before it closes.
  return WaitUntil([&] { return !IsWindowVisible(menu); }) && Settle();
}

std::vector<HWND> Stackle::Dialogs(std::wstring_view caption) const {
  std::vector<HWND> found;
  for (HWND dialog : WindowsOf(process_.id(), L"#32770")) {
    wchar_t text[64] = {};
    GetWindowTextW(dialog, text, 64);
    if (dialog != dialog_ && text == caption) found.push_back(dialog);
  }
  return found;
}

HWND Stackle::WaitForDialog(std::wstring_view caption) const {
  HWND found = nullptr;
  WaitUntil([&] {
    const auto dialogs = Dialogs(caption);
    found = dialogs.empty() ? nullptr : dialogs.front();
    return found != nullptr;
  });
  return found;
}

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      static_cast<UINT>(kTimeout.count()), &ignored);
  return text;
}

bool TrayIconExists(HWND owner) {
  NOTIFYICONDATAW data{.cbSize = sizeof(NOTIFYICONDATAW), .hWnd = owner, .uFlags = NIF_TIP};
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool DeleteTrayIcon(HWND owner) {
  NOTIFYICONDATAW data{.cbSize = sizeof(NOTIFYICONDATAW), .hWnd = owner};
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

std::size_t HandleCount(DWORD process_id) {
  // Wine answers 0 to GetProcessHandleCount, but lists every handle of the system
  // (SystemExtendedHandleInformation): a count, a reserved word, then the entries.
  struct Entry {
    void* object;
    ULONG_PTR process_id, handle;
    ULONG access;
    USHORT trace, type;
    ULONG attributes, reserved;
  };
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<ULONG_PTR> buffer(1 << 16);
  ULONG needed = 0;
  while (query(64, buffer.data(), ULONG(buffer.size() * sizeof(ULONG_PTR)), &needed) != 0) {
    if (buffer.size() > (1 << 26)) return 0;
    buffer.resize(buffer.size() * 2);
  }
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 2);
  return std::count_if(entries, entries + buffer[0],
                       [&](const Entry& entry) { return entry.process_id == process_id; });
}

}  // namespace stackle::e2e
