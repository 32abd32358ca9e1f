#include "platform/win32/win32_files.h"

#include <string>

#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"

namespace stackle::win32 {

FileContent Win32Files::ReadFile(const Text& name) {
  // Without FILE_FLAG_BACKUP_SEMANTICS a directory of that name does not open.
  UniqueFile file(::CreateFileW(Wide(name), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {missing ? FileState::kMissing : FileState::kUnreadable, {}};
  }
  FileContent content{FileState::kRead, {}};
  char buffer[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
      return {FileState::kUnreadable, {}};
    if (read == 0) return content;
    if (content.bytes.size() + read > kMaxFileSize) return {FileState::kTooLarge, {}};
    content.bytes.append(buffer, read);
  }
}

bool Win32Files::SaveFile(const Text& name, std::string_view bytes) {
  const std::wstring target(Wide(name));
  const std::wstring temporary = target + L".new", old = target + L".replaced";
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
  bool replaced = false;
  if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::GetLastError() == ERROR_FILE_NOT_FOUND) {
    // Without MOVEFILE_REPLACE_EXISTING: a file made meanwhile by someone else stays theirs.
    replaced = ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
  } else {
    // The new file takes the old one's attributes, permissions and creation time. The old one
    // steps aside under a name of its own first, so that it can come back if the new one
    // cannot take its place.
    replaced = ::ReplaceFileW(target.c_str(), temporary.c_str(), old.c_str(),
                              REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                              nullptr, nullptr);
    if (replaced) {
      ::DeleteFileW(old.c_str());
    } else if (::GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
      ::MoveFileExW(old.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    }
  }
  if (!replaced) ::DeleteFileW(temporary.c_str());
  return replaced;
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
