#include "platform/win32/win32_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/text_win32.h"
#include "res/resource.h"

namespace stackle {
namespace {

std::wstring TextOf(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

// Reads an extended dialog template as the resource compiler wrote it.
class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : p_(data) {}
  WORD Word() { return Read<WORD>(); }
  DWORD Dword() { return Read<DWORD>(); }
  // A string, or an ordinal written as 0xFFFF and a number (standard classes by their
  // upper-case name, as resource compilers also write them).
  std::wstring StringOrOrdinal(bool is_class = false) {
    if (Peek() == 0xFFFF) {
      Word();
      const WORD ordinal = Word();
      if (!is_class) return L"#" + std::to_wstring(ordinal);
      switch (ordinal) {
        case 0x80:
          return L"BUTTON";
        case 0x83:
          return L"LISTBOX";
        default:
          return L"#" + std::to_wstring(ordinal);
      }
    }
    return String();
  }
  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word())
      text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  void AlignDword() { p_ += (4 - reinterpret_cast<std::uintptr_t>(p_) % 4) % 4; }
  void Skip(std::size_t bytes) { p_ += bytes; }

 private:
  template <typename T>
  T Read() {
    T value;
    std::memcpy(&value, p_, sizeof value);
    p_ += sizeof value;
    return value;
  }
  WORD Peek() {
    WORD value;
    std::memcpy(&value, p_, sizeof value);
    return value;
  }
  const BYTE* p_;
};

struct ControlTemplate {
  DWORD ex_style, style;
  short x, y, cx, cy;
  DWORD id;
  std::wstring class_name, text;
  friend bool operator==(const ControlTemplate&, const ControlTemplate&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ControlTemplate& c) {
    return out << std::hex << "ex 0x" << c.ex_style << " style 0x" << c.style << std::dec << " at "
               << c.x << "," << c.y << " " << c.cx << "x" << c.cy << " id " << c.id << " class "
               << ::testing::PrintToString(c.class_name) << " text "
               << ::testing::PrintToString(c.text);
  }
};

TEST(MainDialogTemplate, IsExactlyTheDesignedOne) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(IDD_STACKLE), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  TemplateReader t(static_cast<const BYTE*>(::LockResource(::LoadResource(self, found))));
  EXPECT_EQ(t.Word(), 1) << "version";
  EXPECT_EQ(t.Word(), 0xFFFF) << "extended template";
  t.Dword();  // help id
  EXPECT_EQ(t.Dword(), 0x00047000u) << "extended style";
  EXPECT_EQ(t.Dword(), 0x92CF1364u) << "style";
  const WORD count = t.Word();
  EXPECT_EQ(count, 10);
  const short x = t.Word(), y = t.Word(), cx = t.Word(), cy = t.Word();
  EXPECT_EQ((std::vector<short>{x, y, cx, cy}), (std::vector<short>{0, 0, 162, 98}));
  EXPECT_EQ(t.StringOrOrdinal(), L"") << "no menu";
  EXPECT_EQ(t.StringOrOrdinal(), L"") << "the standard dialog class";
  EXPECT_EQ(t.String(), L"Stackle");
  EXPECT_EQ(t.Word(), 9) << "points";
  EXPECT_EQ(t.Word(), 0) << "weight";
  EXPECT_EQ(t.Word(), 0x0100) << "not italic, DEFAULT_CHARSET";
  EXPECT_EQ(t.String(), L"ＭＳ Ｐゴシック");

  const ControlTemplate expected[] = {
      {0x7001, 0x50210101, 0, 0, 100, 98, IDC_WINDOW_LIST, L"LISTBOX", L""},
      {0, 0x50000000, 100, 0, 62, 14, IDC_REFRESH, L"BUTTON", L"ｳｲﾝﾄﾞｳの取得(&G)"},
      {0, 0x50010001, 100, 14, 62, 14, IDCANCEL, L"BUTTON", L"一番手前に(&T)"},
      {0, 0x50000000, 100, 28, 62, 14, IDC_ALWAYS_ON_TOP, L"BUTTON", L"常に手前に(&M)"},
      {0, 0x50000000, 100, 42, 62, 14, IDC_NOT_ALWAYS_ON_TOP, L"BUTTON", L"常に手前解除(&U)"},
      {0, 0x50000000, 100, 56, 62, 14, IDC_SEND_TO_BOTTOM, L"BUTTON", L"一番奥に(&B)"},
      {0, 0x50000000, 100, 70, 62, 14, IDC_SHOW_HIDE, L"BUTTON", L"表示/非表示(&S)"},
      {0, 0x40A10103, 0, 0, 25, 15, IDC_EXCLUSION_LIST, L"LISTBOX", L""},
      {0, 0x50000000, 100, 84, 62, 14, IDOK, L"BUTTON", L"終了(&X)"},
      {0, 0x40004004, 65, 53, 89, 44, IDC_HIDDEN_REGISTER, L"LISTBOX", L""},
  };
  for (WORD i = 0; i < count && i < std::size(expected); ++i) {
    t.AlignDword();
    ControlTemplate c;
    t.Dword();  // help id
    c.ex_style = t.Dword();
    c.style = t.Dword();
    c.x = t.Word(), c.y = t.Word(), c.cx = t.Word(), c.cy = t.Word();
    c.id = t.Dword();
    c.class_name = t.StringOrOrdinal(/*is_class=*/true);
    ::CharUpperW(c.class_name.data());
    c.text = t.StringOrOrdinal();
    t.Skip(t.Word());
    EXPECT_EQ(c, expected[i]) << "control " << i << " (id " << expected[i].id << ")";
  }
}

TEST(AboutDialogTemplate, IsExactlyTheDesignedOne) {
  HMODULE self = ::GetModuleHandleW(nullptr);
  HRSRC found = ::FindResourceW(self, MAKEINTRESOURCEW(IDD_ABOUT), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  const auto* header = static_cast<const DLGTEMPLATE*>(::LockResource(::LoadResource(self, found)));
  EXPECT_EQ(header->style,
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
  EXPECT_EQ(header->dwExtendedStyle, 0u);
  EXPECT_EQ(header->cdit, 7);
  EXPECT_EQ((std::vector<short>{header->x, header->y, header->cx, header->cy}),
            (std::vector<short>{0, 0, 218, 84}));
  TemplateReader t(reinterpret_cast<const BYTE*>(header + 1));
  EXPECT_EQ(t.StringOrOrdinal(), L"") << "no menu";
  EXPECT_EQ(t.StringOrOrdinal(), L"") << "the standard dialog class";
  EXPECT_EQ(t.String(), L"ﾊﾞｰｼﾞｮﾝ情報 Stackle");
  EXPECT_EQ(t.Word(), 9) << "points";
  EXPECT_EQ(t.String(), L"ＭＳ Ｐゴシック");

  const ControlTemplate expected[] = {
      {0, WS_CHILD | WS_VISIBLE | SS_ICON, 12, 13, 20, 20, 0xFFFF, L"STATIC", L"#128"},
      {0, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOPREFIX, 38, 33, 119, 8, IDC_ABOUT_VERSION,
       L"STATIC", L"Stackle Version 1.4"},
      {0, WS_CHILD | WS_VISIBLE | WS_GROUP, 38, 47, 130, 8, 0xFFFF, L"STATIC",
       L"Copyright (C) 2026 The Stackle authors"},
      {0, WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 179, 63, 32, 14, IDOK,
       L"BUTTON", L"OK"},
      {0, WS_CHILD | WS_VISIBLE | WS_GROUP, 38, 61, 130, 8, IDC_ABOUT_BUILD, L"STATIC",
       L"Date xx.xx.1998"},
      {0, WS_CHILD | WS_VISIBLE | WS_GROUP, 38, 15, 118, 8, 0xFFFF, L"STATIC",
       L"X-Mose機能のﾁｪｯｸ秒数 (0～5000ﾐﾘ秒):"},
      {0, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 157, 13, 20, 12,
       IDC_ABOUT_INTERVAL, L"EDIT", L""},
  };
  for (const ControlTemplate& e : expected) {
    t.AlignDword();
    ControlTemplate c;
    c.style = t.Dword();
    c.ex_style = t.Dword();
    c.x = t.Word(), c.y = t.Word(), c.cx = t.Word(), c.cy = t.Word();
    c.id = t.Word();
    c.class_name = t.StringOrOrdinal(/*is_class=*/true);
    ::CharUpperW(c.class_name.data());
    c.text = t.StringOrOrdinal();
    t.Skip(t.Word());
    EXPECT_EQ(c, e);
  }
}

TEST(Resources, HoldTheStringsIconAndVersion) {
  HINSTANCE self = ::GetModuleHandleW(nullptr);
  const std::pair<int, std::wstring> strings[] = {
      {IDS_ABOUT_MENU, L"ﾊﾞｰｼﾞｮﾝ情報 (&A)..."},
      {IDS_TIP_BRING_TO_FRONT, L"選択したウインドウを手前に表示します"},
      {IDS_TIP_SHOW_HIDE, L"ウインドウを表示／非表示にします"},
      {IDS_SETTINGS_FILE, L"stackle.dat"},
  };
  for (const auto& [id, text] : strings) {
    const wchar_t* loaded = nullptr;
    const int length = ::LoadStringW(self, id, reinterpret_cast<LPWSTR>(&loaded), 0);
    EXPECT_EQ(std::wstring(loaded, length), text) << id;
  }
  for (int size : {32, 16}) {
    HICON icon = static_cast<HICON>(
        ::LoadImageW(self, MAKEINTRESOURCEW(IDI_STACKLE), IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ::GetIconInfo(icon, &info);
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, size);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);
  }
}

// Records every message and acts as the test says.
struct Recorder final : MessageTarget {
  DialogHost* host = nullptr;
  std::vector<std::uint32_t> seen;
  std::function<void()> on_init;
  std::function<std::intptr_t()> on_idle;

  std::optional<std::intptr_t> HandleMessage(const Message& m) override {
    seen.push_back(m.id);
    if (m.id == kWmInitDialog) {
      host->BindControls();
      if (on_init) on_init();
      return 1;
    }
    if (m.id == kWmKickIdle && on_idle) return on_idle();
    if (m.id == kWmClose) {
      host->EndDialog(7);
      return 0;
    }
    return std::nullopt;
  }
};

TEST(Win32Dialog, RunsModallyUntilEndedAndFillsTheWindowList) {
  win32::Win32Dialog host(::GetModuleHandleW(nullptr), IDD_STACKLE);
  Recorder recorder;
  recorder.host = &host;
  std::vector<std::wstring> labels;
  std::vector<LRESULT> data;
  recorder.on_init = [&] {
    EXPECT_TRUE(host.AddWindowListEntry(u"(TopMost):時計 \U0001F552", 0x1234));
    EXPECT_TRUE(host.AddWindowListEntry(u"Second", 0x5678));
    EXPECT_EQ(host.WindowListCount(), 2u);
    EXPECT_EQ(host.WindowListSelection(), std::nullopt);
    HWND list = ::GetDlgItem(win32::ToHwnd(host.Window()), IDC_WINDOW_LIST);
    ::SendMessageW(list, LB_SETCURSEL, 1, 0);
    EXPECT_EQ(host.WindowListSelection(), 1u);
    for (int i = 0; i < 2; ++i) {
      wchar_t text[64] = {};
      ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      labels.push_back(text);
      data.push_back(::SendMessageW(list, LB_GETITEMDATA, i, 0));
    }
    host.ClearWindowList();
    EXPECT_EQ(host.WindowListCount(), 0u);
    host.SetCaption(u"(Icon):メモ");
    EXPECT_EQ(TextOf(win32::ToHwnd(host.Window())), L"(Icon):メモ");
    ::PostMessageW(win32::ToHwnd(host.Window()), WM_CLOSE, 0, 0);
  };

  EXPECT_EQ(host.RunModal(recorder), 7);
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"(TopMost):時計 \U0001F552", L"Second"}));
  EXPECT_EQ(data, (std::vector<LRESULT>{0x1234, 0x5678}));

  auto position = [&](std::uint32_t id) {
    return std::find(recorder.seen.begin(), recorder.seen.end(), id) - recorder.seen.begin();
  };
  const auto size = position(kWmSize), init = position(kWmInitDialog),
             destroy = position(kWmDestroy);
  EXPECT_LT(size, init) << "the first size event comes before initialisation";
  EXPECT_LT(init, destroy);
  EXPECT_LT(destroy, static_cast<std::ptrdiff_t>(recorder.seen.size()));
  EXPECT_EQ(host.Window(), kNoWindow) << "the window is gone after the run";
}

TEST(Win32Dialog, TellsTheDialogWhenItsQueueRunsEmptyUntilItWantsNoMore) {
  win32::Win32Dialog host(::GetModuleHandleW(nullptr), IDD_STACKLE);
  Recorder recorder;
  recorder.host = &host;
  int idles = 0;
  recorder.on_idle = [&]() -> std::intptr_t {
    if (++idles < 3) return 1;
    // Posted after the last idle message: the run then ends without another one.
    ::PostMessageW(win32::ToHwnd(host.Window()), WM_CLOSE, 0, 0);
    return 0;
  };
  EXPECT_EQ(host.RunModal(recorder), 7);
  EXPECT_EQ(idles, 3);
  const auto first = [&](std::uint32_t id) {
    return std::find(recorder.seen.begin(), recorder.seen.end(), id) - recorder.seen.begin();
  };
  EXPECT_LT(first(kWmInitDialog), first(kWmKickIdle));
  EXPECT_LT(first(kWmPaint), first(kWmKickIdle)) << "idle only once the dialog has painted";
}

}  // namespace
}  // namespace stackle
