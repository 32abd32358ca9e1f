// Shows Stackle at work without a user: opens a few demo windows, starts stackle.exe, waits
// until Stackle lists them, saves a picture of the screen as a BMP file and ends Stackle
// through its close path.
//
//   stackle_demo.exe <stackle.exe> <working directory> <picture.bmp>
#include <windows.h>

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

struct FindDialog {
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK FindStackle(HWND window, LPARAM param) {
  auto* find = reinterpret_cast<FindDialog*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t class_name[16] = {};
  GetClassNameW(window, class_name, 16);
  if (process == find->process && std::wstring(class_name) == L"#32770" &&
      IsWindowVisible(window)) {
    find->found = window;
    return FALSE;
  }
  return TRUE;
}

int ListedCount(HWND dialog, const std::vector<std::wstring>& titles) {
  HWND list = GetDlgItem(dialog, 1000);
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 1000, &count)) return 0;
  int found = 0;
  for (DWORD_PTR i = 0; i < count; ++i) {
    wchar_t text[512] = {};
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    for (const auto& title : titles) {
      if (std::wstring(text).find(title) != std::wstring::npos) ++found;
    }
  }
  return found;
}

bool SaveScreen(const wchar_t* path) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
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
  FILE* out = _wfopen(path, L"wb");
  if (!out) return false;
  fwrite(&file, sizeof file, 1, out);
  fwrite(&info, sizeof info, 1, out);
  fwrite(pixels.data(), 1, pixels.size(), out);
  return fclose(out) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: stackle_demo <stackle.exe> <working directory> <picture.bmp>\n");
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

  const std::vector<std::wstring> titles = {L"無題 - メモ帳", L"Documents", L"Clock",
                                            L"Report.txt"};
  std::vector<HWND> windows = {
      OpenWindow(L"StackleDemo", L"Report.txt - Editor", 480, 60, 0),
      OpenWindow(L"CabinetWClass", L"Documents", 620, 200, 0),
      OpenWindow(L"StackleDemo", L"無題 - メモ帳", 540, 380, 0),
      OpenWindow(L"StackleDemo", L"Clock", 900, 520, WS_EX_TOPMOST),
  };
  ShowWindow(windows[0], SW_MINIMIZE);
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

  FindDialog find{process.dwProcessId};
  bool listed = false;
  for (int tick = 0; tick < 300 && !listed; ++tick) {
    Pump();
    Sleep(50);
    find.found = nullptr;
    EnumWindows(FindStackle, reinterpret_cast<LPARAM>(&find));
    // Ask for a fresh list (button 7), then look for every demo window in it.
    if (find.found) {
      DWORD_PTR ignored;
      SendMessageTimeoutW(find.found, WM_COMMAND, 7, 0, SMTO_ABORTIFHUNG, 1000, &ignored);
      listed = ListedCount(find.found, titles) >= static_cast<int>(titles.size());
    }
  }
  int status = 0;
  if (!listed) {
    fwprintf(stderr, L"Stackle did not list the demo windows\n");
    status = 1;
  } else {
    Sleep(300);  // let the dialog finish painting before the picture is taken
    Pump();
    if (!SaveScreen(argv[3])) status = 1;
  }
  if (find.found) PostMessageW(find.found, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    status = 1;
  }
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (HWND w : windows)
    DestroyWindow(w);
  return status;
}
