// Stackle's portable text is UTF-16, as wchar_t is on Windows.
#pragma once

#include <windows.h>

#include "core/types.h"

namespace stackle::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* Wide(const Text& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline Text FromWide(const wchar_t* text, std::size_t length) {
  return Text(reinterpret_cast<const char16_t*>(text), length);
}
inline HWND ToHwnd(WindowRef window) {
  return reinterpret_cast<HWND>(window);
}
inline WindowRef FromHwnd(HWND window) {
  return reinterpret_cast<WindowRef>(window);
}

}  // namespace stackle::win32
