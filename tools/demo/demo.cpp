// Shows Stackle at work without a user: opens a few demo windows, starts stackle.exe, waits
// until Stackle lists them, has it hide one, saves a picture of the screen as a BMP file and
// ends Stackle through its close path.
//
//   stackle_demo.exe <stackle.exe> <working directory> <picture.bmp> [<pictures directory>]
//
// Given a pictures directory, it also saves there, each cropped around what it shows:
// stackle.bmp (the dialog), window-menu.bmp (the per-window menu), tray-window-menu.bmp and
// tray-tool-menu.bmp (the icon's left- and right-click menus) and about.bmp (the About
// dialog).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK DemoProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND OpenWindow(const wchar_t* class_name, const wchar_t* title, int x, int y, DWORD ex_style) {
  return CreateWindowExW(ex_style, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 420,
                         260, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Waits, still answering the demo windows' messages: Stackle's commands on them wait for that.
// True when the handle was signalled.
bool Rest(DWORD milliseconds, HANDLE handle = nullptr) {
  const DWORD start = GetTickCount();
  for (DWORD passed = 0; passed < milliseconds; passed = GetTickCount() - start) {
    const DWORD woken = MsgWaitForMultipleObjects(handle ? 1 : 0, &handle, FALSE,
                                                  milliseconds - passed, QS_ALLINPUT);
    if (handle && woken == WAIT_OBJECT_0) return true;
    Pump();
  }
  return false;
}

struct FindWindowOf {
  DWORD process;
  const wchar_t* class_name;
  const wchar_t* title;  // any title when null
  HWND found = nullptr;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM param) {
  auto* find = reinterpret_cast<FindWindowOf*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  wchar_t title[256] = {};
  if (find->title) GetWindowTextW(window, title, 256);
  if (process == find->process && std::wstring(class_name) == find->class_name &&
      (!find->title || std::wstring(title) == find->title) && IsWindowVisible(window)) {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of this class (and title) that the process owns, waiting up
// to five seconds for it to appear.
HWND WaitForWindow(DWORD process, const wchar_t* class_name, const wchar_t* title = nullptr) {
  FindWindowOf find{process, class_name, title};
  for (int tick = 0; tick < 100 && !find.found; ++tick) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&find));
    if (!find.found) Rest(50);
  }
  return find.found;
}

constexpr int kWindowList = 1000;
constexpr int kShowHide = 1003;
constexpr int kRefresh = 7;
constexpr UINT kTrayNotify = 0x464;
constexpr WPARAM kAboutCommand = 16;

std::vector<std::wstring> ListedLabels(HWND dialog) {
  HWND list = GetDlgItem(dialog, kWindowList);
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count)) return {};
  std::vector<std::wstring> labels;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    labels.push_back(text);
  }
  return labels;
}

// The index of the first entry whose label ends with this title, or -1.
int IndexOf(const std::vector<std::wstring>& labels, const std::wstring& title) {
  for (size_t i = 0; i < labels.size(); ++i) {
    if (labels[i].ends_with(title)) return static_cast<int>(i);
  }
  return -1;
}

int ListedCount(HWND dialog, const std::vector<std::wstring>& titles) {
  const auto labels = ListedLabels(dialog);
  return static_cast<int>(std::count_if(titles.begin(), titles.end(), [&](const auto& title) {
    return IndexOf(labels, title) >= 0;
  }));
}

// Selects the entry as a click would; false when the title is not listed.
bool Select(HWND dialog, const std::wstring& title) {
  const int index = IndexOf(ListedLabels(dialog), title);
  HWND list = GetDlgItem(dialog, kWindowList);
  if (index < 0 || SendMessageW(list, LB_SETCURSEL, index, 0) != index) return false;
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kWindowList, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  return true;
}

void MoveCursor(POINT at) {
  SetCursorPos(at.x, at.y);
  POINT now{};
  for (int tick = 0; tick < 100 && GetCursorPos(&now) && (now.x != at.x || now.y != at.y); ++tick)
    Rest(20);
}

RECT Screen() {
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The smallest part of the screen that shows these windows, with a margin around them.
RECT Around(std::initializer_list<HWND> windows) {
  RECT area{};
  for (HWND window : windows) {
    RECT r{};
    GetWindowRect(window, &r);
    UnionRect(&area, &area, &r);
  }
  InflateRect(&area, 12, 12);
  const RECT screen = Screen();
  IntersectRect(&area, &area, &screen);
  return area;
}

bool SaveScreen(const std::wstring& path, RECT area) {
  Rest(300);  // let everything on the screen finish painting
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);

  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  const DWORD row = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(row) * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof info;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  FILE* out = _wfopen(path.c_str(), L"wb");
  if (!out) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&info, sizeof info, 1, out);
  fwrite(pixels.data(), 1, pixels.size(), out);
  return fclose(out) == 0;
}

// Opens a popup menu of Stackle's by posting what opens it, saves it beside the dialog and
// closes it again.
bool SaveMenu(HWND dialog, DWORD process, UINT message, WPARAM wparam, LPARAM lparam,
              const std::wstring& path) {
  // A menu opened while the dialog's activation is still on its way would be cancelled by it.
  SetForegroundWindow(dialog);
  for (int tick = 0; tick < 100 && GetForegroundWindow() != dialog; ++tick)
    Rest(20);
  PostMessageW(dialog, message, wparam, lparam);
  HWND menu = WaitForWindow(process, L"#32768");
  if (!menu) {
    fwprintf(stderr, L"no menu opened for %ls\n", path.c_str());
    return false;
  }
  const bool saved = SaveScreen(path, Around({dialog, menu}));
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  for (int tick = 0; tick < 100 && IsWindowVisible(menu); ++tick)
    Rest(20);
  return saved;
}

bool SavePictures(HWND dialog, DWORD process, const std::wstring& directory) {
  const std::wstring in = directory + L"\\";
  RECT frame{};
  GetWindowRect(dialog, &frame);
  // The icon's menus open at the cursor: beside the dialog, away from its tooltips.
  const POINT beside{frame.right + 16, frame.top + 24};
  MoveCursor(beside);
  if (!SaveScreen(in + L"stackle.bmp", Around({dialog}))) return false;

  // A right click rests on the selected entry.
  HWND list = GetDlgItem(dialog, kWindowList);
  const auto index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  const auto height = SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  const auto top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  POINT entry{20, static_cast<LONG>((index - top) * height + height / 2)};
  ClientToScreen(list, &entry);
  MoveCursor(entry);
  Rest(200);  // Stackle reads the cursor itself, through the display server
  if (!SaveMenu(dialog, process, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                MAKELPARAM(entry.x, entry.y), in + L"window-menu.bmp"))
    return false;

  MoveCursor(beside);
  Rest(200);
  if (!SaveMenu(dialog, process, kTrayNotify, 0, WM_LBUTTONDOWN, in + L"tray-window-menu.bmp") ||
      !SaveMenu(dialog, process, kTrayNotify, 0, WM_RBUTTONDOWN, in + L"tray-tool-menu.bmp"))
    return false;

  PostMessageW(dialog, WM_SYSCOMMAND, kAboutCommand, 0);
  HWND about = WaitForWindow(process, L"#32770", L"ﾊﾞｰｼﾞｮﾝ情報 Stackle");
  if (!about) {
    fwprintf(stderr, L"the About dialog did not open\n");
    return false;
  }
  const bool saved = SaveScreen(in + L"about.bmp", Around({about}));
  PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
  for (int tick = 0; tick < 100 && IsWindow(about); ++tick)
    Rest(20);
  return saved;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) {
    fwprintf(stderr,
             L"usage: stackle_demo <stackle.exe> <working directory> <picture.bmp> "
             L"[<pictures directory>]\n");
    return 2;
  }
  WNDCLASSW plain{};
  plain.lpfnWndProc = DemoProc;
  plain.hInstance = GetModuleHandleW(nullptr);
  plain.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  plain.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  plain.lpszClassName = L"StackleDemo";
  RegisterClassW(&plain);
  plain.lpszClassName = L"CabinetWClass";
  RegisterClassW(&plain);

  const std::wstring hidden = L"Draft.txt - Editor";
  const std::vector<std::wstring> titles = {L"無題 - メモ帳", L"Documents", L"Clock",
                                            L"Report.txt - Editor", hidden};
  std::vector<HWND> windows = {
      OpenWindow(L"StackleDemo", hidden.c_str(), 760, 120, 0),
      OpenWindow(L"StackleDemo", L"Report.txt - Editor", 480, 60, 0),
      OpenWindow(L"CabinetWClass", L"Documents", 620, 200, 0),
      OpenWindow(L"StackleDemo", L"無題 - メモ帳", 540, 380, 0),
      OpenWindow(L"StackleDemo", L"Clock", 900, 520, WS_EX_TOPMOST),
  };
  ShowWindow(windows[1], SW_MINIMIZE);
  Pump();

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  if (!CreateProcessW(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, argv[2],
                      &startup, &process)) {
    fwprintf(stderr, L"cannot start %ls (%lu)\n", argv[1], GetLastError());
    return 1;
  }

  HWND dialog = nullptr;
  bool listed = false;
  for (int tick = 0; tick < 300 && !listed; ++tick) {
    if (!dialog) dialog = WaitForWindow(process.dwProcessId, L"#32770");
    // Ask for a fresh list (button 7), then look for every demo window in it.
    if (dialog) {
      DWORD_PTR ignored;
      SendMessageTimeoutW(dialog, WM_COMMAND, kRefresh, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
      listed = ListedCount(dialog, titles) >= static_cast<int>(titles.size());
    }
    if (!listed) Rest(50);
  }
  int status = 0;
  if (listed) {
    // One window hidden through Stackle, so that every kind of entry shows.
    DWORD_PTR ignored;
    if (Select(dialog, hidden))
      SendMessageTimeoutW(dialog, WM_COMMAND, kShowHide, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
    listed =
        IndexOf(ListedLabels(dialog), L"(Hide):" + hidden) >= 0 && Select(dialog, L"無題 - メモ帳");
  }
  if (!listed) {
    fwprintf(stderr, L"Stackle did not list the demo windows\n");
    status = 1;
  } else {
    Pump();
    if (!SaveScreen(argv[3], Screen())) status = 1;
    if (status == 0 && argc == 5 && !SavePictures(dialog, process.dwProcessId, argv[4])) status = 1;
  }
  if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
  // Stackle shows the window it hid again as it ends.
  if (!Rest(10000, process.hProcess)) {
    TerminateProcess(process.hProcess, 1);
    status = 1;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (HWND w : windows)
    DestroyWindow(w);
  return status;
}
