// Drives a running stackle.exe from another process, for the end-to-end tests, the demo and the
// benchmark: starts it, runs its commands, presses its keys, finds its windows, reads its window
// list and opens its menus. Every wait keeps the calling thread's own windows answering:
// Stackle's commands on them, and a program that takes the foreground from them, wait for their
// answer.
#pragma once

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "res/resource.h"

namespace stackle::harness {

inline constexpr DWORD kTimeout = 30'000;  // ms: room for a loaded machine; waits end once met
inline constexpr wchar_t kDialogClass[] = L"#32770", kMenuClass[] = L"#32768";
inline constexpr wchar_t kAboutCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報 Stackle";

inline void Pump() {
  for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Waits `ms` milliseconds, or until `handle` is signalled (then true), handling this thread's
// messages meanwhile.
inline bool Rest(DWORD ms, HANDLE handle = nullptr) {
  for (const ULONGLONG end = GetTickCount64() + ms;;) {
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < end ? DWORD(end - now) : 0;
    const DWORD woken =
        MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE, left, QS_ALLINPUT);
    if (handle && woken == WAIT_OBJECT_0) return true;
    Pump();
    if (!left) return false;
  }
}

// Checks `done` every `poll` ms until it holds, for `ms` at most; whether it came to hold.
inline bool WaitUntil(const std::function<bool()>& done, DWORD ms = kTimeout, DWORD poll = 10) {
  for (const ULONGLONG start = GetTickCount64(); !done(); Rest(poll))
    if (GetTickCount64() - start > ms) return false;
  return true;
}

// Sends and waits for the answer; nothing when none comes in time or the window is hung.
inline std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
                                   DWORD ms = kTimeout) {
  DWORD_PTR result = 0;
  const bool answered =
      SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, ms, &result);
  return answered ? std::optional(LRESULT(result)) : std::nullopt;
}

inline std::wstring ThisProgram() {
  wchar_t path[MAX_PATH];
  return {path, GetModuleFileNameW(nullptr, path, MAX_PATH)};
}

// A window class that draws nothing of its own.
inline void RegisterPlainClass(const wchar_t* name) {
  WNDCLASSW plain{};
  plain.lpfnWndProc = DefWindowProcW;
  plain.hInstance = GetModuleHandleW(nullptr);
  plain.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  plain.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  plain.lpszClassName = name;
  RegisterClassW(&plain);  // fails harmlessly once registered
}

// `program` started with `arguments` in `directory` (null: this one's), writing to `output`
// and `error` (by default `output`) if given; ended on destruction if it still runs. Throws
// when it cannot start.
class Process {
 public:
  explicit Process(const std::wstring& program, const std::wstring& arguments = L"",
                   const wchar_t* directory = nullptr, HANDLE output = nullptr,
                   HANDLE error = nullptr) {
    std::wstring command_line = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" ");
    command_line += arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = output ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = output;
    startup.hStdError = error ? error : output;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, output != nullptr,
                        0, nullptr, directory, &startup, &info)) {
      const std::string error = ": error " + std::to_string(GetLastError());
      std::string name(program.size() * 3, '\0');
      name.resize(WideCharToMultiByte(CP_UTF8, 0, program.data(), int(program.size()), name.data(),
                                      int(name.size()), nullptr, nullptr));
      throw std::runtime_error("cannot start " + name + error);
    }
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    id_ = info.dwProcessId;
  }
  ~Process() {
    if (Running() && TerminateProcess(handle(), 1)) WaitForExit();
  }

  HANDLE handle() const { return process_.get(); }
  DWORD id() const { return id_; }
  bool WaitForExit(DWORD ms = kTimeout) const { return Rest(ms, handle()); }
  bool Running() const { return WaitForSingleObject(handle(), 0) == WAIT_TIMEOUT; }

 private:
  win32::UniqueHandle process_, thread_;
  DWORD id_ = 0;
};

// What a program run to its end left: its exit code (~0u when it did not end) and its output.
struct Finished {
  DWORD code = ~0u;
  std::string output;
};

// `program` run with `arguments` in `directory`, as a script runs it: its output read from a pipe
// until the program closes it, then its end awaited. Its errors go to `error`, or to the pipe.
inline Finished RunToEnd(const std::wstring& program, const std::wstring& arguments,
                         const wchar_t* directory, HANDLE error = nullptr) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return {};
  win32::UniqueHandle read(read_end), write(write_end);
  SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
  const Process process(program, arguments, directory, write.get(), error);
  write.reset();
  Finished finished;
  char buffer[4096];
  for (DWORD got = 0; ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) && got;)
    finished.output.append(buffer, got);
  if (process.WaitForExit()) GetExitCodeProcess(process.handle(), &finished.code);
  return finished;
}

// Presses `keys` together, the last after the others, as the keyboard would.
inline void Press(const std::vector<WORD>& keys) {
  std::vector<INPUT> inputs(2 * keys.size(), INPUT{.type = INPUT_KEYBOARD, .ki = {}});
  for (std::size_t i = 0, up = inputs.size() - 1; i < keys.size(); ++i, --up) {
    inputs[i].ki.wVk = inputs[up].ki.wVk = keys[i];
    inputs[up].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Every top-level window from the top of the Z-order down.
inline std::vector<HWND> ZOrder() {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
    windows.push_back(window);
  return windows;
}

// `process`'s topmost visible window of `class_name` (and `caption` unless null) but `except`.
inline HWND FindWindowOf(DWORD process, std::wstring_view class_name,
                         const wchar_t* caption = nullptr, HWND except = nullptr) {
  for (HWND window : ZOrder()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Another process's text is read without a message, so a hung program cannot stop this.
    if (owner != process || window == except || !IsWindowVisible(window)) continue;
    wchar_t name[64] = {}, text[256] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, text, 256);
    if (name == class_name && (!caption || std::wstring_view(text) == caption)) return window;
  }
  return nullptr;
}

// Waits for such a window; null when none comes.
inline HWND WaitForWindowOf(DWORD process, std::wstring_view class_name,
                            const wchar_t* caption = nullptr, HWND except = nullptr) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindWindowOf(process, class_name, caption, except)); });
  return found;
}

// The labels of a list box like Stackle's window list; none when it does not answer.
inline std::vector<std::wstring> ReadLabels(HWND list) {
  // A rebuild in the middle of the read starts it over.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const LRESULT count = Send(list, LB_GETCOUNT).value_or(LB_ERR);
    std::vector<std::wstring> labels;
    LRESULT i = 0;
    for (; i < count; ++i) {
      const LRESULT length = Send(list, LB_GETTEXTLEN, i).value_or(LB_ERR);
      std::wstring label(std::max<LRESULT>(length, 0), L'\0');
      if (length == LB_ERR || Send(list, LB_GETTEXT, i, LPARAM(label.data())) != length) break;
      labels.push_back(std::move(label));
    }
    if (count >= 0 && i == count && Send(list, LB_GETCOUNT) == count) return labels;
  }
  return {};
}

// A window's title, read without a message, so that a hung window (also one of this very
// process) cannot stop the reader.
inline std::wstring TitleOf(HWND window) {
  wchar_t text[256] = {};
  InternalGetWindowText(window, text, 256);
  return text;
}

// The title a label of Stackle's list shows, behind its prefixes.
inline std::wstring TitleIn(std::wstring_view label) {
  for (std::wstring_view prefix : {L"(Hide):", L"(Icon):", L"(TopMost):", L"(Folda):"})
    if (label.starts_with(prefix)) label.remove_prefix(prefix.size());
  return std::wstring(label);
}

using Entry = std::pair<std::wstring, HWND>;  // a list entry: its label and its window

// The list's entries, each with the first of `candidates` whose title its label shows (null
// when none does). The list holds labels only.
inline std::vector<Entry> ReadList(HWND list, const std::vector<HWND>& candidates) {
  std::vector<Entry> entries;
  for (std::wstring& label : ReadLabels(list)) {
    const auto shown = std::ranges::find(candidates, TitleIn(label), TitleOf);
    entries.emplace_back(std::move(label), shown == candidates.end() ? nullptr : *shown);
  }
  return entries;
}

// Selects entry `index` of `dialog`'s window list as a click on it does.
inline bool SelectEntry(HWND dialog, LRESULT index) {
  const HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
  return Send(list, LB_SETCURSEL, index) == index &&
         Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_WINDOW_LIST, LBN_SELCHANGE), LPARAM(list));
}

// Posts `message` (the icon's callback, Alt+Space, ...) to `process`'s `dialog` and waits for the
// menu it opens; null when none comes.
inline HWND OpenMenu(DWORD process, HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  // The user clicks the dialog first: its activation on the way would cancel the menu.
  const bool ready = !IsWindowVisible(dialog) || WaitUntil([&] {
    return GetForegroundWindow() == dialog || (SetForegroundWindow(dialog), false);
  });
  return ready && PostMessageW(dialog, message, wparam, lparam)
             ? WaitForWindowOf(process, kMenuClass)
             : nullptr;
}

// Presses `keys` (a mnemonic, or arrows then Enter) in `menu` and waits for it to close. A
// mnemonic goes as the character it types, which a stray mouse move cannot unselect.
inline bool PressInMenu(HWND menu, const std::vector<UINT>& keys) {
  if (!menu) return false;
  for (const UINT key : keys)
    PostMessageW(menu, key >= 'A' && key <= 'Z' ? WM_CHAR : WM_KEYDOWN, key, 1);
  return WaitUntil([&] { return !IsWindowVisible(menu); });
}

// Ends dialog box `box` through its button `button`; whether it went.
inline bool Dismiss(HWND box, int button) {
  return box && PostMessageW(box, WM_COMMAND, button, 0) &&
         WaitUntil([&] { return !IsWindow(box); });
}

}  // namespace stackle::harness
