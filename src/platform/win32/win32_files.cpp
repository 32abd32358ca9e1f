#include "platform/win32/win32_files.h"

#include <algorithm>

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
