// e2e_helper.exe: owns the top-level windows that the end-to-end tests ask Stackle to list.
//
//   e2e_helper --report FILE --ready EVENT [--hang EVENT]
//              --window TITLE [--class NAME] [--minimized] [--topmost] [--hidden] [--control]
//              ...
//
// Creates one captioned top-level window per --window, in the order given, each shown on top
// of the ones before it (a hidden one is never shown). Then writes the windows' handles to
// FILE, one hexadecimal number a line in the order given, sets the named event EVENT, and
// pumps messages until all its windows are destroyed or the process is ended. Once the --hang
// event is set it stops pumping for good, as a program that has stopped responding does.
// --control puts a button into the window, for the mouse to rest on.
//
// Two options apply to the helper as a whole and may stand anywhere:
//   --hidden-windows N  also creates N hidden titled top-level windows, cheaply, after the
//                       requested ones; their handles are not reported.
//   --churn             once ready, keeps creating shown titled windows and destroying them
//                       (a few live at a time, some retitled on the way) until it is ended.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kDefaultClass[] = L"StackleE2eWindow";

struct WindowRequest {
  std::wstring title;
  std::wstring class_name = kDefaultClass;
  bool minimized = false;
  bool topmost = false;
  bool hidden = false;
  bool control = false;
};

struct Options {
  std::wstring report;
  std::wstring ready;
  std::wstring hang;
  std::vector<WindowRequest> windows;
  int hidden_windows = 0;
  bool churn = false;
};

int live_windows = 0;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCDESTROY && --live_windows == 0) PostQuitMessage(0);
  return DefWindowProcW(window, message, wparam, lparam);
}

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == L"--report" && has_value) {
      options.report = argv[++i];
    } else if (arg == L"--ready" && has_value) {
      options.ready = argv[++i];
    } else if (arg == L"--hang" && has_value) {
      options.hang = argv[++i];
    } else if (arg == L"--hidden-windows" && has_value) {
      options.hidden_windows = _wtoi(argv[++i]);
      if (options.hidden_windows < 0) return false;
    } else if (arg == L"--churn") {
      options.churn = true;
    } else if (arg == L"--window" && has_value) {
      options.windows.push_back({.title = argv[++i]});
    } else if (options.windows.empty()) {
      return false;
    } else if (arg == L"--class" && has_value) {
      options.windows.back().class_name = argv[++i];
    } else if (arg == L"--minimized") {
      options.windows.back().minimized = true;
    } else if (arg == L"--topmost") {
      options.windows.back().topmost = true;
    } else if (arg == L"--hidden") {
      options.windows.back().hidden = true;
    } else if (arg == L"--control") {
      options.windows.back().control = true;
    } else {
      return false;
    }
  }
  return !options.report.empty() && !options.ready.empty();
}

bool RegisterWindowClass(const std::wstring& name) {
  static std::set<std::wstring> registered;
  if (registered.contains(name)) return true;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = name.c_str();
  if (!RegisterClassExW(&window_class)) return false;
  registered.insert(name);
  return true;
}

HWND CreateRequestedWindow(const WindowRequest& request, int index) {
  if (!RegisterWindowClass(request.class_name)) return nullptr;
  const int offset = 20 * (index % 16);
  HWND window =
      CreateWindowExW(request.topmost ? WS_EX_TOPMOST : 0, request.class_name.c_str(),
                      request.title.c_str(), WS_OVERLAPPEDWINDOW, 40 + offset, 40 + offset, 320,
                      200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return nullptr;
  ++live_windows;
  if (request.control) {
    CreateWindowExW(0, L"BUTTON", L"Control", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 150,
                    40, window, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  if (!request.hidden) {
    // Shown without activation, so that Stackle's dialog keeps the foreground when a test adds
    // windows while it runs.
    ShowWindow(window, request.minimized ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Wine can restack a window while painting it for the first time: paint it now, before the
    // next window goes on top of it.
    UpdateWindow(window);
  }
  return window;
}

// Windows made only to be there: nothing waits for them, and they do not keep the helper alive.
constexpr wchar_t kBulkClass[] = L"StackleE2eBulkWindow";

bool RegisterBulkClass() {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = DefWindowProcW;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = kBulkClass;
  return RegisterClassExW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CreateHiddenWindows(int count) {
  if (count > 0 && !RegisterBulkClass()) return false;
  for (int i = 0; i < count; ++i) {
    const std::wstring title = L"Hidden bulk window " + std::to_wstring(i);
    if (!CreateWindowExW(0, kBulkClass, title.c_str(), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr)) {
      return false;
    }
  }
  return true;
}

// One step of the churn: a new shown window on top, now and then a live one retitled, and the
// oldest destroyed once more than a few are alive.
class Churn {
 public:
  bool Step() {
    if (!RegisterBulkClass()) return false;
    const std::wstring title = L"Churn " + std::to_wstring(++created_);
    HWND window = CreateWindowExW(0, kBulkClass, title.c_str(), WS_OVERLAPPEDWINDOW,
                                  600 + 10 * (created_ % 8), 300, 200, 120, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (!window) return false;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    live_.push_back(window);
    if (created_ % 3 == 0) {
      SetWindowTextW(live_.front(), (L"Churn retitled " + std::to_wstring(created_)).c_str());
    }
    if (live_.size() > kLive) {
      DestroyWindow(live_.front());
      live_.erase(live_.begin());
    }
    return true;
  }

 private:
  static constexpr std::size_t kLive = 6;
  int created_ = 0;
  std::vector<HWND> live_;
};

bool WriteReport(const std::wstring& path, const std::vector<HWND>& windows) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  for (HWND window : windows) {
    std::fprintf(file, "%llx\n",
                 static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  }
  return std::fclose(file) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fwprintf(stderr, L"e2e_helper: bad command line\n");
    return 2;
  }

  std::vector<HWND> windows;
  for (const WindowRequest& request : options.windows) {
    HWND window = CreateRequestedWindow(request, static_cast<int>(windows.size()));
    if (!window) {
      std::fwprintf(stderr, L"e2e_helper: cannot create window %ls (error %lu)\n",
                    request.title.c_str(), GetLastError());
      return 1;
    }
    windows.push_back(window);
  }
  if (!CreateHiddenWindows(options.hidden_windows)) {
    std::fwprintf(stderr, L"e2e_helper: cannot create the hidden windows (error %lu)\n",
                  GetLastError());
    return 1;
  }
  // What the new windows have queued is handled before anyone looks at them.
  MSG pending;
  while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageW(&pending);
  if (!WriteReport(options.report, windows)) return 1;

  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, options.ready.c_str());
  if (!ready) return 1;
  SetEvent(ready);
  CloseHandle(ready);

  if (windows.empty() && !options.churn) return 0;
  HANDLE hang =
      options.hang.empty() ? nullptr : OpenEventW(SYNCHRONIZE, FALSE, options.hang.c_str());
  Churn churn;
  for (;;) {
    // Churning, a step is taken whenever a millisecond passes with nothing to handle.
    const DWORD woken = MsgWaitForMultipleObjects(hang ? 1 : 0, &hang, FALSE,
                                                  options.churn ? 1 : INFINITE, QS_ALLINPUT);
    if (hang && woken == WAIT_OBJECT_0) {
      for (;;)
        Sleep(INFINITE);
    }
    if (woken == WAIT_TIMEOUT && !churn.Step()) return 1;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}
