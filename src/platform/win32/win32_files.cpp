#include "platform/win32/win32_files.h"

#include <algorithm>
#include <string>

#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {

std::optional<std::string> Win32Files::ReadFile(const Text& name) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory of that name does not open.
  UniqueFile file(::CreateFileW(Wide(name), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[64 * 1024];
  while (bytes.size() < kMaxFileSize) {
    const DWORD want = static_cast<DWORD>(std::min(sizeof buffer, kMaxFileSize - bytes.size()));
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, want, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  return bytes;
}

bool Win32Files::SaveFile(const Text& name, std::string_view bytes) {
  const std::wstring target(Wide(name));
  const std::wstring temporary = target + L".new";
  {
    UniqueFile file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    const bool whole = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                   &written, nullptr) &&
                       written == bytes.size() && ::FlushFileBuffers(file.get());
    if (!whole) {
      file.reset();
      ::DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

Text Win32Files::DecodeAnsi(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  Text text(static_cast<std::size_t>(length), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()),
                        length);
  return text;
}

}  // namespace stackle::win32
