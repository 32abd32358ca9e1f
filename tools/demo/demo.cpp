// Shows Stackle at work without a user: opens a few demo windows, starts stackle.exe, waits
// until Stackle lists them, has it hide one, saves a picture of the screen as a BMP file and
// ends Stackle through its close path.
//
//   stackle_demo.exe <stackle.exe> <working directory> <picture.bmp> [<pictures directory>]
//
// Given a pictures directory, it also saves there, each cropped around what it shows:
// stackle.bmp (the dialog), window-menu.bmp (the per-window menu), tray-window-menu.bmp and
// tray-tool-menu.bmp (the icon's left- and right-click menus), about.bmp (the About dialog)
// and hotkeys.bmp (ホットキーの設定).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "harness/win32_harness.h"
#include "res/resource.h"

namespace {

using namespace stackle::harness;

HWND OpenWindow(const wchar_t* class_name, const wchar_t* title, int x, int y, DWORD ex_style) {
  return CreateWindowExW(ex_style, class_name, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 420,
                         260, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

std::vector<std::wstring> Listed(HWND dialog) {
  return ReadLabels(GetDlgItem(dialog, IDC_WINDOW_LIST));
}

// The index of the first entry whose label ends with this title, or -1.
int IndexOf(const std::vector<std::wstring>& labels, const std::wstring& title) {
  for (size_t i = 0; i < labels.size(); ++i) {
    if (labels[i].ends_with(title)) return static_cast<int>(i);
  }
  return -1;
}

bool ListsAll(HWND dialog, const std::vector<std::wstring>& titles) {
  const auto entries = Listed(dialog);
  return std::all_of(titles.begin(), titles.end(),
                     [&](const auto& title) { return IndexOf(entries, title) >= 0; });
}

// Selects the entry as a click would; false when the title is not listed.
bool Select(HWND dialog, const std::wstring& title) {
  const int index = IndexOf(Listed(dialog), title);
  return index >= 0 && SelectEntry(dialog, index);
}

void MoveCursor(POINT at) {
  SetCursorPos(at.x, at.y);
  WaitUntil(
      [&] {
        POINT now{};
        return !GetCursorPos(&now) || (now.x == at.x && now.y == at.y);
      },
      2000, 20);
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
  const HWND menu = OpenMenu(process, dialog, message, wparam, lparam);
  if (!menu) {
    fwprintf(stderr, L"no menu opened for %ls\n", path.c_str());
    return false;
  }
  const bool saved = SaveScreen(path, Around({dialog, menu}));
  PressInMenu(menu, {VK_ESCAPE});
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
  HWND list = GetDlgItem(dialog, IDC_WINDOW_LIST);
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
  if (!SaveMenu(dialog, process, WM_TRAYNOTIFY, 0, WM_LBUTTONDOWN, in + L"tray-window-menu.bmp") ||
      !SaveMenu(dialog, process, WM_TRAYNOTIFY, 0, WM_RBUTTONDOWN, in + L"tray-tool-menu.bmp"))
    return false;

  PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUT, 0);
  const HWND about = WaitForWindowOf(process, kDialogClass, kAboutCaption);
  if (!about) {
    fwprintf(stderr, L"the About dialog did not open\n");
    return false;
  }
  if (!SaveScreen(in + L"about.bmp", Around({about}))) return false;
  Dismiss(about, IDCANCEL);

  PostMessageW(dialog, WM_SYSCOMMAND, IDM_HOTKEYS, 0);
  const HWND hotkeys = WaitForWindowOf(process, kDialogClass, L"ホットキーの設定");
  if (!hotkeys) {
    fwprintf(stderr, L"the hotkey dialog did not open\n");
    return false;
  }
  const bool saved = SaveScreen(in + L"hotkeys.bmp", Around({hotkeys}));
  Dismiss(hotkeys, IDCANCEL);
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
  RegisterPlainClass(L"StackleDemo");
  RegisterPlainClass(L"CabinetWClass");

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

  try {
    const Process stackle(argv[1], L"", argv[2]);
    const HWND dialog = WaitForWindowOf(stackle.id(), kDialogClass);
    // Asks for a fresh list, then looks for every demo window in it.
    const auto lists_all = [&] {
      Send(dialog, WM_COMMAND, IDC_REFRESH, 0, 1000);
      return ListsAll(dialog, titles);
    };
    bool listed = dialog && WaitUntil(lists_all, 15'000, 50);
    if (listed) {
      // One window hidden through Stackle, so that every kind of entry shows.
      if (Select(dialog, hidden)) Send(dialog, WM_COMMAND, IDC_SHOW_HIDE, 0, 1000);
      listed =
          IndexOf(Listed(dialog), L"(Hide):" + hidden) >= 0 && Select(dialog, L"無題 - メモ帳");
    }
    int status = 0;
    if (!listed) {
      fwprintf(stderr, L"Stackle did not list the demo windows\n");
      status = 1;
    } else {
      Pump();
      if (!SaveScreen(argv[3], Screen())) status = 1;
      if (status == 0 && argc == 5 && !SavePictures(dialog, stackle.id(), argv[4])) status = 1;
    }
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
    // Stackle shows the window it hid again as it ends.
    return stackle.WaitForExit(10'000) ? status : 1;
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
