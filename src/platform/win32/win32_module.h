// Where stackle.exe itself lies.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace stackle::win32 {

// The full path of the running program; nothing when it does not fit the buffer.
inline std::optional<std::wstring> ModulePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::wstring(path, length);
}

// Its folder, with a trailing separator.
inline std::optional<std::wstring> ModuleDirectory() {
  auto path = ModulePath();
  if (path) path->erase(path->find_last_of(L"\\/") + 1);
  return path;
}

}  // namespace stackle::win32
