// Functions of system libraries that Stackle loads only when it first needs them.
#pragma once

#include <windows.h>

namespace stackle::win32 {

// `name` from `library` in system32, never from the current directory. The library stays
// loaded for the rest of the process; null when the library or the function is missing.
template <typename Function>
Function SystemFunction(const wchar_t* library, const char* name) {
  const HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (!module) return nullptr;
  // Through the generic function type, which any function pointer may be cast to and from.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace stackle::win32
